// Small standard controls for composite components: a panel (tool bars,
// frames), a combo box (a list of names to pick from) and a speed button
// (tool buttons, exclusive in groups).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/platform/controls.h"
#include "core/types/corekit_export.h"

namespace tkz {

enum TBevelCut : uint8_t { bvNone, bvLowered, bvRaised };

// A plain area with a 3-D border: an outer and an inner bevel, each
// BevelWidth pixels wide. Aligned children share the area inside the bevels.
class TKZ_COREKIT_EXPORT TPanel : public TCustomControl {
 public:
  explicit TPanel(TComponent* AOwner = nullptr);  // 185 x 41, clBtnFace, outer bevel raised
  std::string ClassName() const override { return "TPanel"; }

  TBevelCut GetBevelOuter() const { return bevel_outer_; }
  void SetBevelOuter(TBevelCut b);
  TBevelCut GetBevelInner() const { return bevel_inner_; }
  void SetBevelInner(TBevelCut b);
  int GetBevelWidth() const { return bevel_width_; }
  void SetBevelWidth(int w);  // at least 1

 protected:
  void Paint() override;
  TRect AdjustClientRect() const override;

 private:
  int BorderSize() const;
  TBevelCut bevel_outer_ = bvRaised;
  TBevelCut bevel_inner_ = bvNone;
  int bevel_width_ = 1;
};

enum TComboBoxStyle : uint8_t { csDropDown, csDropDownList };

class TComboBox;

// The item list of a combo box, 0-based. Changes keep the box's selection on
// the same item; deleting the selected item leaves nothing selected.
class TKZ_COREKIT_EXPORT TComboBoxItems {
 public:
  explicit TComboBoxItems(TComboBox* box) : box_(box) {}
  TComboBoxItems(const TComboBoxItems&) = delete;
  TComboBoxItems& operator=(const TComboBoxItems&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  // Raises EControlError for an index out of range.
  const std::string& Get(int Index) const;
  const std::string& operator[](int Index) const { return Get(Index); }
  // Exact comparison; -1 when absent.
  int IndexOf(const std::string& S) const;
  int Add(const std::string& S);  // returns the new item's index
  // 0 <= Index <= Count, else EControlError.
  void Insert(int Index, const std::string& S);
  void Delete(int Index);  // EControlError out of range
  void Clear();
  const std::vector<std::string>& Strings() const { return items_; }

 private:
  void CheckIndex(int Index, int limit) const;
  TComboBox* box_;
  std::vector<std::string> items_;
};

// A box showing one item of a list. ItemIndex is -1 when no item is selected;
// setting it out of range selects nothing. Programmatic changes fire no
// OnChange; a selection by the user (SelectItemByUser) does, when it changes
// the selection. Text is the selected item's text; with csDropDown it may be
// any text, with csDropDownList only an item's text or "".
class TKZ_COREKIT_EXPORT TComboBox : public TCustomControl {
 public:
  explicit TComboBox(TComponent* AOwner = nullptr);  // 145 x 21, clWindow
  std::string ClassName() const override { return "TComboBox"; }

  TComboBoxItems* GetItems() { return &items_; }
  const TComboBoxItems* GetItems() const { return &items_; }
  int GetItemIndex() const { return item_index_; }
  void SetItemIndex(int Index);
  // Selects the item with that exact text if there is one; else csDropDown
  // keeps the text with nothing selected and csDropDownList selects nothing.
  void SetText(const std::string& s) override;
  TComboBoxStyle GetStyle() const { return style_; }
  void SetStyle(TComboBoxStyle s);
  int GetDropDownCount() const { return drop_down_count_; }
  void SetDropDownCount(int n);  // at least 1
  // The user picks item Index from the list. Returns false (and changes
  // nothing) when Index is out of range.
  bool SelectItemByUser(int Index);

  TNotifyEvent OnChange;

 protected:
  virtual void Change();
  void Paint() override;

 private:
  friend class TComboBoxItems;
  void ItemsChanged(int removed, int inserted);  // -1 for none
  void ShowItem();

  TComboBoxItems items_{this};
  int item_index_ = -1;
  TComboBoxStyle style_ = csDropDown;
  int drop_down_count_ = 8;
};

// A tool button. With GroupIndex 0 it springs back up after each click; the
// buttons of one parent sharing a non-zero GroupIndex are exclusive: a click
// puts the button down and the others up. AllowAllUp (shared by the group)
// lets a click on the down button put it up. The Glyph is drawn centred, its
// bottom-left pixel's colour transparent.
class TKZ_COREKIT_EXPORT TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* AOwner = nullptr);  // 23 x 22, clBtnFace
  std::string ClassName() const override { return "TSpeedButton"; }

  bool GetDown() const { return down_; }
  // Ignored with GroupIndex 0, and when putting up a button of a group that
  // does not allow all up.
  void SetDown(bool v);
  int GetGroupIndex() const { return group_index_; }
  void SetGroupIndex(int g);
  bool GetAllowAllUp() const { return allow_all_up_; }
  void SetAllowAllUp(bool v);
  bool GetFlat() const { return flat_; }
  void SetFlat(bool v);
  TBitmap* GetGlyph() { return &glyph_; }
  void SetGlyph(const TBitmap* g);  // copies; nullptr clears
  // Fires OnClick.
  void Click() override;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Paint() override;

 private:
  std::vector<TSpeedButton*> GroupSiblings() const;
  bool down_ = false;
  int group_index_ = 0;
  bool allow_all_up_ = false;
  bool flat_ = false;
  bool tracking_ = false;  // the left button went down on it and is held
  bool pressed_ = false;   // drawn pressed while tracking over it
  TBitmap glyph_;
};

}  // namespace tkz
