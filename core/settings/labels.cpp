#include "core/settings/labels.h"

#include <algorithm>

#include "core/settings/xmlsettings.h"
#include "core/text/streams.h"
#include "core/text/stringl.h"

namespace tkz {

// ------------------------------------------------------------ TCustomTextLabel
TCustomTextLabel::TCustomTextLabel() = default;
TCustomTextLabel::~TCustomTextLabel() = default;

void TCustomTextLabel::Changed() {
  if (OnChange) OnChange(this);
}

void TCustomTextLabel::SetTxtLblPosX(double v) {
  pos_x_ = v;
  Changed();
}
void TCustomTextLabel::SetTxtLblPosY(double v) {
  pos_y_ = v;
  Changed();
}
void TCustomTextLabel::SetTxtLblLayer(int v) {
  if (v < 1 || v > 16) return;
  layer_ = v;
  Changed();
}
void TCustomTextLabel::SetTxtLblShadowDx(int v) {
  shadow_dx_ = v;
  Changed();
}
void TCustomTextLabel::SetTxtLblShadowDy(int v) {
  shadow_dy_ = v;
  Changed();
}
void TCustomTextLabel::SetTxtLblColorShadow(TColor c) {
  color_shadow_ = c;
  Changed();
}
void TCustomTextLabel::SetTxtLblAlignment(TAlignment a) {
  alignment_ = a;
  Changed();
}
void TCustomTextLabel::SetTxtLblVertAlignment(TVerticalAlignment a) {
  vert_alignment_ = a;
  Changed();
}
void TCustomTextLabel::SetTxtLblScreenPos(TTxtLblAttachMode m) {
  attach_mode_ = m;
  Changed();
}
void TCustomTextLabel::SetTxtLblColorBkg(TColor c) {
  color_bkg_ = c;
  Changed();
}
void TCustomTextLabel::SetTxtLblColorBrd(TColor c) {
  color_brd_ = c;
  Changed();
}
void TCustomTextLabel::SetTxtLblTranspar(bool b) {
  transparent_ = b;
  Changed();
}
void TCustomTextLabel::SetTxtLblFont(const TFont* f) {
  if (f != nullptr) font_.Assign(f);
  Changed();
}
void TCustomTextLabel::SetTxtLblCaption(const std::string& s) {
  caption_ = s;
  for (char& c : caption_)
    if (static_cast<unsigned char>(c) < 32 && c != '\n') c = ' ';
  Changed();
}
void TCustomTextLabel::SetTxtLblMode(TTxtLblMode m) {
  mode_ = m;
  Changed();
}
void TCustomTextLabel::SetTxtLblVisible(bool b) {
  visible_ = b;
  Changed();
}

void TCustomTextLabel::Assign(const TPersistent* Source) {
  if (auto* s = dynamic_cast<const TCustomTextLabel*>(Source)) {
    if (s == this) return;
    pos_x_ = s->pos_x_;
    pos_y_ = s->pos_y_;
    layer_ = s->layer_;
    shadow_dx_ = s->shadow_dx_;
    shadow_dy_ = s->shadow_dy_;
    color_shadow_ = s->color_shadow_;
    alignment_ = s->alignment_;
    vert_alignment_ = s->vert_alignment_;
    attach_mode_ = s->attach_mode_;
    color_bkg_ = s->color_bkg_;
    color_brd_ = s->color_brd_;
    transparent_ = s->transparent_;
    font_.Assign(&s->font_);
    caption_ = s->caption_;
    mode_ = s->mode_;
    OnChange = s->OnChange;
    visible_ = s->visible_;
    return;
  }
  TPersistent::Assign(Source);
}

void TCustomTextLabel::AssignTo(TPersistent* Dest) const {
  if (auto* d = dynamic_cast<TCustomTextLabel*>(Dest)) {
    d->Assign(this);
    return;
  }
  TPersistent::AssignTo(Dest);
}

void TCustomTextLabel::WriteToOpenXMLFile(TTextFile& f, bool WriteXMLHeader, const std::string& Id,
                                          int Indent) {
  WriteXMLFrameStart(f, WriteXMLHeader, "TCustomTextLabel", "custtextlbl", Id, Indent);
  const std::string in = XMLIndent(Indent) + "  ";
  f.WriteLn(in + "<posxy x=" + XMLFloatStr(pos_x_) + " y=" + XMLFloatStr(pos_y_) + " />");
  f.WriteLn(in + "<caption>" + caption_ + "</caption>");
  f.WriteLn(in + "<colors brd=" + XMLColorStr(color_brd_) + " bg=" + XMLColorStr(color_bkg_) +
            " shdw=" + XMLColorStr(color_shadow_) + " />");
  f.WriteLn(in + "<shadowofs dx=" + std::to_string(shadow_dx_) +
            " dy=" + std::to_string(shadow_dy_) + " />");
  f.WriteLn(in + "<layer val=" + std::to_string(layer_) + " />");
  f.WriteLn(in + "<transparent val=" + XMLBoolStr(transparent_) + " />");
  f.WriteLn(in + "<visible val=" + XMLBoolStr(visible_) + " />");
  f.WriteLn(in + "<alignment horiz=" + xmlAlignment[alignment_ % 3] +
            " vert=" + xmlVerticalAlignment[vert_alignment_ % 3] + " />");
  f.WriteLn(in + "<attachmode val=" + xmlTxtLblAttachMode[attach_mode_ % 4] + " />");
  std::string styles;
  for (int s = fsBold; s <= fsStrikeOut; ++s) {
    if (!font_.GetStyle().Contains(static_cast<TFontStyle>(s))) continue;
    if (!styles.empty()) styles += ' ';
    styles += xmlFontStyle[static_cast<size_t>(s)];
  }
  f.WriteLn(in + "<font name=\"" + font_.GetName() + "\" size=" + std::to_string(font_.GetSize()) +
            " color=" + XMLColorStr(font_.GetColor()) + " style=\"" + styles + "\" />");
  f.WriteLn(in + "<style val=" + xmlTxtLblMode[mode_ % 5] + " />");
  WriteXMLFrameEnd(f, "custtextlbl", Indent);
}

bool TCustomTextLabel::ReadFromOpenXMLFile(TTextFile& f, const std::string& Id) {
  if (!FindXMLElement(f, "custtextlbl", Id)) return false;
  static const std::vector<std::string> kTags = {
      "posxy",      "colors", "shadowofs", "layer",   "transparent",  "visible", "alignment",
      "attachmode", "font",   "style",     "caption", "/custtextlbl", "dummy"};
  bool closed = false;
  std::string name, attrs, contents;
  while (!closed && ReadXMLChildTag(f, name, attrs, contents, "caption")) {
    int ix = StringIx(name, kTags) - 1;  // 1-based, 0 when unknown
    if (ix < 0) ix = static_cast<int>(kTags.size()) - 1;
    auto attr = [&](const char* a) { return ScanForXMLAttrib(attrs, a); };
    switch (ix) {
      case 0:
        pos_x_ = XMLStrToFloat(attr("x"));
        pos_y_ = XMLStrToFloat(attr("y"));
        break;
      case 1:
        color_brd_ = XMLStrToColor(attr("brd"));
        color_bkg_ = XMLStrToColor(attr("bg"));
        color_shadow_ = XMLStrToColor(attr("shdw"));
        break;
      case 2:
        shadow_dx_ = XMLStrToInt(attr("dx"));
        shadow_dy_ = XMLStrToInt(attr("dy"));
        break;
      case 3:
        layer_ = XMLStrToInt(attr("val"));
        break;
      case 4:
        transparent_ = XMLStrToBool(attr("val"));
        break;
      case 5:
        visible_ = XMLStrToBool(attr("val"));
        break;
      case 6: {
        const int h = XMLNameIndex(xmlAlignment, attr("horiz"));
        if (h >= 0) alignment_ = static_cast<TAlignment>(h);
        const int v = XMLNameIndex(xmlVerticalAlignment, attr("vert"));
        if (v >= 0) vert_alignment_ = static_cast<TVerticalAlignment>(v);
        break;
      }
      case 7: {
        const int m = XMLNameIndex(xmlTxtLblAttachMode, attr("val"));
        if (m >= 0) attach_mode_ = static_cast<TTxtLblAttachMode>(m);
        break;
      }
      case 8: {
        const std::string fontName = attr("name");
        if (!fontName.empty()) font_.SetName(fontName);
        const int size = XMLStrToInt(attr("size"));
        if (size > 0) font_.SetSize(size);
        font_.SetColor(XMLStrToColor(attr("color")));
        TFontStyles styles;
        std::string list = attr("style");
        size_t p = 0;
        while (p < list.size()) {
          const size_t q = std::min(list.find(' ', p), list.size());
          const int s = XMLNameIndex(xmlFontStyle, std::string_view(list).substr(p, q - p));
          if (s >= 0) styles.Include(static_cast<TFontStyle>(s));
          p = q + 1;
        }
        font_.SetStyle(styles);
        break;
      }
      case 9: {
        const int m = XMLNameIndex(xmlTxtLblMode, attr("val"));
        if (m >= 0) mode_ = static_cast<TTxtLblMode>(m);
        break;
      }
      case 10:
        caption_ = contents;
        break;
      case 11:
        closed = true;
        break;
      default:
        break;
    }
  }
  Changed();
  return closed;
}

// ------------------------------------------------------------ TCrossHair
void TCrossHair::Changed() {
  if (OnChange) OnChange(this);
}
void TCrossHair::SetCrossHPosX(double v) {
  pos_x_ = v;
  Changed();
}
void TCrossHair::SetCrossHPosY(double v) {
  pos_y_ = v;
  Changed();
}
void TCrossHair::SetCrossHColor(TColor c) {
  color_ = c;
  Changed();
}
void TCrossHair::SetCrossHMode(TCrossHMode m) {
  mode_ = m;
  Changed();
}
void TCrossHair::SetCrossHLineType(TPenStyle s) {
  line_type_ = s;
  Changed();
}
void TCrossHair::SetCrossHLineWid(int w) {
  line_wid_ = w;
  Changed();
}
void TCrossHair::SetCrossHLayer(int layer) {
  layer_ = std::clamp(layer, 1, 2);
  Changed();
}
void TCrossHair::SetPos(double X, double Y) {
  if (X == pos_x_ && Y == pos_y_) return;
  pos_x_ = X;
  pos_y_ = Y;
  Changed();
}
void TCrossHair::Assign(const TPersistent* Source) {
  if (auto* s = dynamic_cast<const TCrossHair*>(Source)) {
    pos_x_ = s->pos_x_;
    pos_y_ = s->pos_y_;
    color_ = s->color_;
    mode_ = s->mode_;
    line_type_ = s->line_type_;
    line_wid_ = s->line_wid_;
    layer_ = s->layer_;
    OnChange = s->OnChange;
    return;
  }
  TPersistent::Assign(Source);
}
void TCrossHair::AssignTo(TPersistent* Dest) const {
  if (auto* d = dynamic_cast<TCrossHair*>(Dest)) {
    d->Assign(this);
    return;
  }
  TPersistent::AssignTo(Dest);
}

// ------------------------------------------------------------ TDTLabel
TDTLabel::~TDTLabel() { OnChange = nullptr; }

void TDTLabel::Changed() {
  if (OnChange) OnChange(this);
}
void TDTLabel::SetTimeFormat(TTimeFormat f) {
  time_format_ = f;
  Changed();
}
void TDTLabel::SetDAteOrder(TDateOrder o) {
  date_order_ = o;
  Changed();
}
void TDTLabel::SetDateSeparator(char c) {
  if (c == date_separator_) return;
  date_separator_ = c;
  Changed();
}
void TDTLabel::SetTimeSeparator(char c) {
  if (c == time_separator_) return;
  time_separator_ = c;
  Changed();
}
void TDTLabel::SetYearLength(TYearLength y) {
  if (y == year_length_) return;
  year_length_ = y;
  Changed();
}
void TDTLabel::SetDateForTime(TDateForTime d) {
  if (d == date_for_time_) return;
  date_for_time_ = d;
  Changed();
}
void TDTLabel::SetMonthName(bool b) {
  if (b == month_name_) return;
  month_name_ = b;
  Changed();
}
void TDTLabel::Assign(const TPersistent* Source) {
  if (auto* s = dynamic_cast<const TDTLabel*>(Source)) {
    time_format_ = s->time_format_;
    date_separator_ = s->date_separator_;
    time_separator_ = s->time_separator_;
    year_length_ = s->year_length_;
    month_name_ = s->month_name_;
    date_order_ = s->date_order_;
    date_for_time_ = s->date_for_time_;
    OnChange = s->OnChange;
    return;
  }
  TPersistent::Assign(Source);
}

}  // namespace tkz
