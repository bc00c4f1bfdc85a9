// The clipboard: an in-process store for one item at a time, a bitmap or a
// text, as the desktop clipboard holds one thing. Putting an item in replaces
// whatever was there. Safe to use from several threads.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "core/platform/classes.h"
#include "core/platform/graphics.h"
#include "core/types/corekit_export.h"

namespace tkz {

class TKZ_COREKIT_EXPORT TClipboard : public TPersistent {
 public:
  TClipboard();
  ~TClipboard() override;

  // Copies the bitmap in (an empty bitmap is a bitmap too).
  void Assign(const TBitmap& Bitmap);
  // Takes a TBitmap; other sources raise EConvertError.
  void Assign(const TPersistent* Source) override;
  bool HasBitmap() const;
  // Copies the bitmap out; false (Bitmap untouched) when the clipboard holds none.
  bool GetBitmap(TBitmap& Bitmap) const;

  void SetAsText(const std::string& Text);
  bool HasText() const;
  // The text held, or "" when the clipboard holds no text.
  std::string GetAsText() const;

  void Clear();
  std::string ClassName() const override { return "TClipboard"; }

 protected:
  // Bitmap.Assign(&Clipboard()) copies the held bitmap; EConvertError when
  // there is none.
  void AssignTo(TPersistent* Dest) const override;

 private:
  mutable std::mutex mutex_;
  std::unique_ptr<TBitmap> bitmap_;
  std::string text_;
  bool has_text_ = false;
};

// The process-wide clipboard.
TKZ_COREKIT_EXPORT TClipboard& Clipboard();

}  // namespace tkz
