// The X11 backend's keyboard: key events become KeyDown, KeyPress and KeyUp
// messages addressed to the window's top-level control (see the table in
// backend_x11.h).
#include <algorithm>
#include <cstdint>

#include "core/platform/codepage.h"
// Brings Xlib, whose macros (None, Bool, Status) must come last.
#include "core/platform/backend_x11_internal.h"

#include <X11/keysym.h>

// Xlib's event-type macro would hide TMessage::KeyPress.
constexpr int kXKeyPress = KeyPress;
#undef KeyPress

namespace tkz {

namespace {

// Keysyms of the Windows-1252 characters beyond Latin-1 that have a keysym
// of their own (besides the Unicode keysyms 0x01000000 + code point).
constexpr std::pair<unsigned long, char32_t> kLegacyKeysyms[] = {
    {0x20ac, U'\u20AC'},  // EuroSign
    {0xafd, U'\u201A'},   // singlelowquotemark
    {0x8f6, U'\u0192'},   // function
    {0xafe, U'\u201E'},   // doublelowquotemark
    {0xaae, U'\u2026'},   // ellipsis
    {0xaf1, U'\u2020'},   // dagger
    {0xaf2, U'\u2021'},   // doubledagger
    {0xad5, U'\u2030'},   // permille
    {0x1a9, U'\u0160'},   // Scaron
    {0x13bc, U'\u0152'},  // OE
    {0x1ae, U'\u017D'},   // Zcaron
    {0xad0, U'\u2018'},   // leftsinglequotemark
    {0xad1, U'\u2019'},   // rightsinglequotemark
    {0xad2, U'\u201C'},   // leftdoublequotemark
    {0xad3, U'\u201D'},   // rightdoublequotemark
    {0xae6, U'\u2022'},   // enfilledcircbullet
    {0xaaa, U'\u2013'},   // endash
    {0xaa9, U'\u2014'},   // emdash
    {0xac9, U'\u2122'},   // trademark
    {0x1b9, U'\u0161'},   // scaron
    {0x13bd, U'\u0153'},  // oe
    {0x1be, U'\u017E'},   // zcaron
    {0x13be, U'\u0178'},  // Ydiaeresis
};

constexpr std::pair<unsigned long, uint16_t> kVirtualKeys[] = {
    {XK_BackSpace, VK_BACK},     {XK_Tab, VK_TAB},
    {XK_ISO_Left_Tab, VK_TAB},   {XK_KP_Tab, VK_TAB},
    {XK_Return, VK_RETURN},      {XK_KP_Enter, VK_RETURN},
    {XK_Escape, VK_ESCAPE},      {XK_space, VK_SPACE},
    {XK_KP_Space, VK_SPACE},     {XK_Prior, VK_PRIOR},
    {XK_KP_Prior, VK_PRIOR},     {XK_Next, VK_NEXT},
    {XK_KP_Next, VK_NEXT},       {XK_End, VK_END},
    {XK_KP_End, VK_END},         {XK_Home, VK_HOME},
    {XK_KP_Home, VK_HOME},       {XK_Left, VK_LEFT},
    {XK_KP_Left, VK_LEFT},       {XK_Up, VK_UP},
    {XK_KP_Up, VK_UP},           {XK_Right, VK_RIGHT},
    {XK_KP_Right, VK_RIGHT},     {XK_Down, VK_DOWN},
    {XK_KP_Down, VK_DOWN},       {XK_Insert, VK_INSERT},
    {XK_KP_Insert, VK_INSERT},   {XK_Delete, VK_DELETE},
    {XK_KP_Delete, VK_DELETE},   {XK_KP_Multiply, VK_MULTIPLY},
    {XK_KP_Add, VK_ADD},         {XK_KP_Subtract, VK_SUBTRACT},
    {XK_KP_Decimal, VK_DECIMAL}, {XK_KP_Divide, VK_DIVIDE},
    {XK_Shift_L, VK_SHIFT},      {XK_Shift_R, VK_SHIFT},
    {XK_Control_L, VK_CONTROL},  {XK_Control_R, VK_CONTROL},
    {XK_Alt_L, VK_MENU},         {XK_Alt_R, VK_MENU},
    {XK_Meta_L, VK_MENU},        {XK_Meta_R, VK_MENU},
    {XK_plus, VK_OEM_PLUS},      {XK_equal, VK_OEM_PLUS},
    {XK_minus, VK_OEM_MINUS},    {XK_underscore, VK_OEM_MINUS},
    {XK_comma, VK_OEM_COMMA},    {XK_period, VK_OEM_PERIOD},
};

bool IsModifierVk(uint16_t vk) { return vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU; }

unsigned int ModifierMaskOf(uint16_t vk) {
  return vk == VK_SHIFT ? ShiftMask : vk == VK_CONTROL ? ControlMask : Mod1Mask;
}

}  // namespace

uint16_t x11::VirtualKeyOf(unsigned long keysym) {
  if (keysym >= XK_a && keysym <= XK_z) return static_cast<uint16_t>('A' + (keysym - XK_a));
  if (keysym >= XK_A && keysym <= XK_Z) return static_cast<uint16_t>(keysym);
  if (keysym >= XK_0 && keysym <= XK_9) return static_cast<uint16_t>(keysym);
  if (keysym >= XK_F1 && keysym <= XK_F12) return static_cast<uint16_t>(VK_F1 + (keysym - XK_F1));
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) {
    return static_cast<uint16_t>(VK_NUMPAD0 + (keysym - XK_KP_0));
  }
  for (const auto& [sym, vk] : kVirtualKeys) {
    if (sym == keysym) return vk;
  }
  return 0;
}

int x11::CharOfKeysym(unsigned long keysym) {
  switch (keysym) {
    case XK_BackSpace:
      return 8;
    case XK_Tab:
    case XK_ISO_Left_Tab:
    case XK_KP_Tab:
      return 9;
    case XK_Return:
    case XK_KP_Enter:
      return 13;
    case XK_Escape:
      return 27;
    case XK_KP_Space:
      return ' ';
    case XK_KP_Equal:
      return '=';
    case XK_KP_Multiply:
      return '*';
    case XK_KP_Add:
      return '+';
    case XK_KP_Separator:
      return ',';
    case XK_KP_Subtract:
      return '-';
    case XK_KP_Decimal:
      return '.';
    case XK_KP_Divide:
      return '/';
    default:
      break;
  }
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return static_cast<int>('0' + (keysym - XK_KP_0));
  char32_t cp = 0;
  if ((keysym >= 0x20 && keysym <= 0x7e) || (keysym >= 0xa0 && keysym <= 0xff)) {
    cp = static_cast<char32_t>(keysym);
  } else if ((keysym & 0xff000000UL) == 0x01000000UL) {
    cp = static_cast<char32_t>(keysym & 0x00ffffffUL);
  } else {
    for (const auto& [sym, code] : kLegacyKeysyms) {
      if (sym == keysym) cp = code;
    }
  }
  // Control characters are typed only by the keys above.
  if (cp < 0x20 || (cp >= 0x7f && cp < 0xa0)) return -1;
  return Cp1252FromUnicode(cp);
}

void TX11Backend::Impl::HandleKey(TApplication& app, Win& w, XEvent& ev) {
  XKeyEvent& e = ev.xkey;
  TControl* top = w.control;
  auto held = std::find_if(w.held_keys.begin(), w.held_keys.end(),
                           [&](const HeldKey& k) { return k.keycode == e.keycode; });
  if (ev.type == KeyRelease) {
    // Auto-repeat sends a release and a press with the same time stamp:
    // the key stays down.
    if (XEventsQueued(dpy, QueuedAfterReading) > 0) {
      XEvent next;
      XPeekEvent(dpy, &next);
      if (next.type == kXKeyPress && next.xkey.window == e.window &&
          next.xkey.keycode == e.keycode && next.xkey.time == e.time) {
        return;
      }
    }
    // A key pressed before the window had the keyboard was released for
    // the window that had it.
    if (held == w.held_keys.end()) return;
    const uint16_t vk = held->vk;
    w.held_keys.erase(held);
    unsigned int state = e.state;
    if (IsModifierVk(vk)) state &= ~ModifierMaskOf(vk);
    app.PostMessage(TMessage::KeyUp(top, vk, x11::ShiftOf(state)));
    return;
  }

  // The keysym that the modifiers select (NumLock on the keypad, Shift on
  // letters), and the key's own one for the virtual key everywhere else, so
  // that Shift+1 is still the key '1'.
  char buf[16];
  KeySym sym = NoSymbol;
  XLookupString(&e, buf, sizeof buf, &sym, nullptr);
  const KeySym base = XLookupKeysym(&e, 0);
  const KeySym key_sym = IsKeypadKey(sym) || base == NoSymbol ? sym : base;
  const uint16_t vk = x11::VirtualKeyOf(key_sym);

  const bool ctrl = (e.state & ControlMask) != 0;
  const bool alt = (e.state & Mod1Mask) != 0;
  int ch = -1;
  if (ctrl && !alt) {
    if (vk >= 'A' && vk <= 'Z') ch = vk - 'A' + 1;
  } else if (!ctrl && !alt) {
    ch = x11::CharOfKeysym(sym);
  }

  if (vk != 0) {
    if (held == w.held_keys.end()) w.held_keys.push_back(HeldKey{e.keycode, vk});
    unsigned int state = e.state;
    if (IsModifierVk(vk)) state |= ModifierMaskOf(vk);
    app.PostMessage(TMessage::KeyDown(top, vk, x11::ShiftOf(state)));
  }
  if (ch >= 0) app.PostMessage(TMessage::KeyPress(top, static_cast<char>(ch)));
}

void TX11Backend::Impl::ReleaseHeldKeys(TApplication& app, Win& w) {
  for (const HeldKey& k : w.held_keys) {
    app.PostMessage(TMessage::KeyUp(w.control, k.vk, TShiftState{}));
  }
  w.held_keys.clear();
}

}  // namespace tkz
