// The X11 backend's pictures through MIT shared memory: one segment per
// window, of the window's picture size, that the server reads the picture
// from (XShmPutImage) instead of receiving it over the connection.
#include <bit>
#include <cstdlib>
#include <cstring>

// Brings Xlib, whose macros (None, Bool, Status) must come last.
#include "core/platform/backend_x11_internal.h"

#ifdef TKZ_HAVE_XSHM
#include <sys/ipc.h>
#include <sys/shm.h>

#include <X11/extensions/XShm.h>
#endif

namespace tkz {

#ifdef TKZ_HAVE_XSHM

namespace x11 {

struct ShmPicture {
  XShmSegmentInfo info{};
  XImage* image = nullptr;
  bool attached = false;
  bool busy = false;  // the server may still be reading a put
};

void FreeShmPicture(Display* dpy, ShmPicture* p, bool connected) {
  if (p == nullptr) return;
  if (p->attached && connected) {
    XShmDetach(dpy, &p->info);
    XSync(dpy, False);
  }
  if (p->image != nullptr) {
    p->image->data = nullptr;  // the segment's, not malloc's
    XDestroyImage(p->image);
  }
  if (p->info.shmaddr != nullptr && p->info.shmaddr != reinterpret_cast<char*>(-1)) {
    shmdt(p->info.shmaddr);
  }
  // Normally removed right after the attach; this covers a failed one.
  if (p->info.shmid >= 0) shmctl(p->info.shmid, IPC_RMID, nullptr);
  delete p;
}

}  // namespace x11

namespace {

// Only a server on this machine can see our memory.
bool LocalDisplay(Display* dpy) {
  const char* name = DisplayString(dpy);
  if (name == nullptr) return false;
  const std::string s = name;
  return s.rfind(':', 0) == 0 || s.rfind("unix:", 0) == 0 || s.rfind('/', 0) == 0;
}

}  // namespace

void TX11Backend::Impl::InitShm() {
  const char* off = std::getenv("TKZ_X11_NO_SHM");
  if (off != nullptr && std::strcmp(off, "1") == 0) return;
  if (!LocalDisplay(dpy) || XShmQueryExtension(dpy) == False) return;
  // Our pixels are written in our own byte order, which the server must share.
  const int native = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
  if (ImageByteOrder(dpy) != native) return;
  shm_available = true;
}

bool TX11Backend::Impl::PutShm(Win& w) {
  if (!shm_available) return false;
  const int cw = w.picture.GetWidth();
  const int ch = w.picture.GetHeight();
  x11::ShmPicture* p = w.shm;
  if (p != nullptr && (p->image->width != cw || p->image->height != ch)) {
    x11::FreeShmPicture(dpy, p, true);
    p = w.shm = nullptr;
  }
  if (p == nullptr) {
    p = new x11::ShmPicture;
    p->info.shmid = -1;
    p->info.shmaddr = nullptr;
    p->image = XShmCreateImage(dpy, visual, static_cast<unsigned>(depth), ZPixmap, nullptr,
                               &p->info, static_cast<unsigned>(cw), static_cast<unsigned>(ch));
    bool ok = p->image != nullptr;
    if (ok) {
      const size_t size = static_cast<size_t>(p->image->bytes_per_line) * static_cast<size_t>(ch);
      p->info.shmid = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
      ok = p->info.shmid >= 0;
    }
    if (ok) {
      p->info.shmaddr = static_cast<char*>(shmat(p->info.shmid, nullptr, 0));
      ok = p->info.shmaddr != reinterpret_cast<char*>(-1);
    }
    if (ok) {
      p->image->data = p->info.shmaddr;
      p->info.readOnly = False;
      const int errors_before = errors;
      XShmAttach(dpy, &p->info);
      XSync(dpy, False);
      p->attached = errors == errors_before && !broken;
      ok = p->attached;
      // Both sides have it mapped now: the segment goes when the last of
      // them lets go, even when the process dies.
      shmctl(p->info.shmid, IPC_RMID, nullptr);
      p->info.shmid = -1;
    }
    if (!ok) {
      // Plain XPutImage from now on.
      x11::FreeShmPicture(dpy, p, !broken);
      shm_available = false;
      return false;
    }
    w.shm = p;
  }
  // The server reads the segment while it handles the put; wait for that
  // before drawing into it again.
  if (p->busy) {
    XSync(dpy, False);
    p->busy = false;
  }
  ConvertPixels(w.picture, p->image->data, static_cast<size_t>(p->image->bytes_per_line));
  XShmPutImage(dpy, w.xid, gc, p->image, 0, 0, 0, 0, static_cast<unsigned>(cw),
               static_cast<unsigned>(ch), False);
  p->busy = true;
  return true;
}

#else  // without libXext

namespace x11 {
struct ShmPicture {};
void FreeShmPicture(Display*, ShmPicture* p, bool) { delete p; }
}  // namespace x11

void TX11Backend::Impl::InitShm() {}
bool TX11Backend::Impl::PutShm(Win&) { return false; }

#endif

}  // namespace tkz
