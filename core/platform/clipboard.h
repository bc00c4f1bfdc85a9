// The clipboard: an in-process store for one item at a time, a bitmap or a
// text, as the desktop clipboard holds one thing. Putting an item in replaces
// whatever was there. Safe to use from several threads.
//
// A window backend can join it to the desktop's clipboard by installing a
// TClipboardHost: the host hears of every item put in (and offers it to other
// programs), and while the host says that another program's item is the
// clipboard's content, the Has/Get functions answer with that item, fetched
// through the host. Without a host, the clipboard is in-process only.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "core/platform/classes.h"
#include "core/platform/graphics.h"
#include "core/types/corekit_export.h"

namespace tkz {

// The desktop's side of the clipboard. The clipboard calls it without
// holding its own lock, so the host may read the clipboard back.
class TKZ_COREKIT_EXPORT TClipboardHost {
 public:
  virtual ~TClipboardHost();
  // An item was put in, or the clipboard was cleared.
  virtual void ClipboardChanged() = 0;
  // Whether another program's item (or nothing, when that program has gone)
  // stands for the clipboard's content now.
  virtual bool ForeignContent() = 0;
  // Whether that item can be had as a text or as a bitmap.
  virtual bool ForeignHasText() = 0;
  virtual bool ForeignHasBitmap() = 0;
  // Fetch it (text in Windows-1252); false when there is none.
  virtual bool FetchText(std::string& Text) = 0;
  virtual bool FetchBitmap(TBitmap& Bitmap) = 0;
};

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

  // Installs the desktop's side (not owned; nullptr: in-process only).
  void SetHost(TClipboardHost* Host);
  TClipboardHost* GetHost() const;

 protected:
  // Bitmap.Assign(&Clipboard()) copies the held bitmap; EConvertError when
  // there is none.
  void AssignTo(TPersistent* Dest) const override;

 private:
  // The host, when another program's item stands for the content.
  TClipboardHost* ForeignHost() const;
  void Changed();

  mutable std::mutex mutex_;
  TClipboardHost* host_ = nullptr;
  std::unique_ptr<TBitmap> bitmap_;
  std::string text_;
  bool has_text_ = false;
};

// The process-wide clipboard.
TKZ_COREKIT_EXPORT TClipboard& Clipboard();

}  // namespace tkz
