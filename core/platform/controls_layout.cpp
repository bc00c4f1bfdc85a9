// The layout of aligned children.
#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "core/platform/controls.h"

namespace tkz {

void TWinControl::Realign() {
  if (aligning_ || GetComponentState().Contains(csLoading) ||
      GetComponentState().Contains(csDestroying)) {
    return;
  }
  // Plan first, then move: moving runs the children's OnResize, which may
  // change the tree.
  TRect r = AdjustClientRect();
  std::vector<std::pair<TControl*, TRect>> plan;
  for (TAlign kind : {alTop, alBottom, alLeft, alRight, alClient}) {
    for (TControl* c : children_) {
      if (!c->visible_ || c->align_ != kind) continue;
      const int w = std::max(0, r.Width());
      const int h = std::max(0, r.Height());
      switch (kind) {
        case alTop:
          plan.emplace_back(c, TRect{r.Left, r.Top, r.Left + w, r.Top + c->height_});
          r.Top = std::min(r.Top + c->height_, std::max(r.Top, r.Bottom));
          break;
        case alBottom:
          plan.emplace_back(c, TRect{r.Left, r.Bottom - c->height_, r.Left + w, r.Bottom});
          r.Bottom = std::max(r.Bottom - c->height_, std::min(r.Top, r.Bottom));
          break;
        case alLeft:
          plan.emplace_back(c, TRect{r.Left, r.Top, r.Left + c->width_, r.Top + h});
          r.Left = std::min(r.Left + c->width_, std::max(r.Left, r.Right));
          break;
        case alRight:
          plan.emplace_back(c, TRect{r.Right - c->width_, r.Top, r.Right, r.Top + h});
          r.Right = std::max(r.Right - c->width_, std::min(r.Left, r.Right));
          break;
        default:
          plan.emplace_back(c, TRect{r.Left, r.Top, r.Left + w, r.Top + h});
          break;
      }
    }
  }
  struct Done {
    std::weak_ptr<char> alive;
    bool* flag;
    ~Done() {
      if (!alive.expired()) *flag = false;
    }
  } done{life_, &aligning_};
  aligning_ = true;
  for (const auto& [c, b] : plan) {
    if (std::find(children_.begin(), children_.end(), c) == children_.end()) continue;
    c->SetBounds(b.Left, b.Top, b.Width(), b.Height());
    if (done.alive.expired()) return;
  }
}

}  // namespace tkz
