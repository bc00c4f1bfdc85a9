#include "core/platform/stringlist.h"

#include <algorithm>
#include <utility>

#include "core/platform/stream.h"
// The Windows-1252 case table; charcase.h depends on the standard library
// only, so the platform layer uses it without pulling in the text utilities.
#include "core/text/charcase.h"

namespace tkz {

namespace {

// Runs f between BeginUpdate and EndUpdate, so the list reports one change.
template <typename F>
void Updating(TStringList& list, F&& f) {
  list.BeginUpdate();
  try {
    f();
  } catch (...) {
    list.EndUpdate();
    throw;
  }
  list.EndUpdate();
}

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

// ------------------------------------------------------------------ helpers

void TStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count())
    throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
}

void TStringList::CheckUnsorted() const {
  if (sorted_) throw EStringListError("Operation not allowed on sorted list");
}

int TStringList::Compare(std::string_view a, std::string_view b) const {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    char ca = a[i];
    char cb = b[i];
    if (!case_sensitive_) {
      ca = AnsiUpperChar(ca);
      cb = AnsiUpperChar(cb);
    }
    if (ca != cb) return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb) ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int TStringList::Bound(std::string_view S, bool Upper) const {
  int lo = 0;
  int hi = Count();
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    const int c = Compare(items_[static_cast<size_t>(mid)].s, S);
    if (c < 0 || (Upper && c == 0))
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

void TStringList::Changed() {
  if (update_count_ > 0) {
    changed_while_updating_ = true;
    return;
  }
  if (OnChange) OnChange(this);
}

void TStringList::EndUpdate() {
  if (update_count_ == 0 || --update_count_ > 0) return;
  if (changed_while_updating_) {
    changed_while_updating_ = false;
    Changed();
  }
}

void TStringList::InsertItem(int Index, std::string S, TObject* AObject) {
  items_.insert(items_.begin() + Index, Item{std::move(S), AObject});
  Changed();
}

void TStringList::SortItems() {
  std::stable_sort(items_.begin(), items_.end(),
                   [this](const Item& a, const Item& b) { return Compare(a.s, b.s) < 0; });
}

// ------------------------------------------------------------ line access

const std::string& TStringList::Strings(int Index) const {
  CheckIndex(Index);
  return items_[static_cast<size_t>(Index)].s;
}

void TStringList::Put(int Index, const std::string& S) {
  CheckUnsorted();
  CheckIndex(Index);
  items_[static_cast<size_t>(Index)].s = S;
  Changed();
}

TObject* TStringList::Objects(int Index) const {
  CheckIndex(Index);
  return items_[static_cast<size_t>(Index)].obj;
}

void TStringList::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index);
  items_[static_cast<size_t>(Index)].obj = AObject;
  Changed();
}

int TStringList::Add(const std::string& S) { return AddObject(S, nullptr); }

int TStringList::AddObject(const std::string& S, TObject* AObject) {
  int index = Count();
  if (sorted_) {
    index = Bound(S, false);
    if (index < Count() && Compare(items_[static_cast<size_t>(index)].s, S) == 0) {
      switch (duplicates_) {
        case dupIgnore:
          return index;
        case dupError:
          throw EStringListError("List does not allow duplicates: \"" + S + "\"");
        case dupAccept:
          index = Bound(S, true);
          break;
      }
    }
  }
  InsertItem(index, S, AObject);
  return index;
}

void TStringList::Insert(int Index, const std::string& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(int Index, const std::string& S, TObject* AObject) {
  CheckUnsorted();
  if (Index < 0 || Index > Count())
    throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
  InsertItem(Index, S, AObject);
}

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  items_.erase(items_.begin() + Index);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  items_.clear();
  Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  CheckUnsorted();
  std::swap(items_[static_cast<size_t>(Index1)], items_[static_cast<size_t>(Index2)]);
  Changed();
}

void TStringList::AddStrings(const TStringList* Strings) {
  if (Strings == nullptr) return;
  // A copy, so that adding a list to itself ends.
  const std::vector<Item> source = Strings->items_;
  Updating(*this, [&] {
    for (const Item& it : source) AddObject(it.s, it.obj);
  });
}

void TStringList::Assign(const TPersistent* Source) {
  if (Source == this) return;
  const auto* list = dynamic_cast<const TStringList*>(Source);
  if (list == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  Updating(*this, [&] {
    Clear();
    for (const Item& it : list->items_) AddObject(it.s, it.obj);
  });
}

// ------------------------------------------------------- search and order

int TStringList::IndexOf(std::string_view S) const {
  int index;
  return Find(S, index) ? index : -1;
}

bool TStringList::Find(std::string_view S, int& Index) const {
  if (sorted_) {
    Index = Bound(S, false);
    return Index < Count() && Compare(items_[static_cast<size_t>(Index)].s, S) == 0;
  }
  for (Index = 0; Index < Count(); ++Index)
    if (Compare(items_[static_cast<size_t>(Index)].s, S) == 0) return true;
  return false;
}

void TStringList::Sort() {
  if (sorted_ || Count() < 2) return;
  SortItems();
  Changed();
}

void TStringList::SetSorted(bool Value) {
  if (Value == sorted_) return;
  sorted_ = Value;
  if (Value && Count() > 1) {
    SortItems();
    Changed();
  }
}

void TStringList::SetCaseSensitive(bool Value) {
  if (Value == case_sensitive_) return;
  case_sensitive_ = Value;
  if (sorted_ && Count() > 1) {
    SortItems();
    Changed();
  }
}

// ---------------------------------------------------------------- text forms

std::string TStringList::GetText() const {
  size_t n = 0;
  for (const Item& it : items_) n += it.s.size() + 2;
  std::string text;
  text.reserve(n);
  for (const Item& it : items_) {
    text += it.s;
    text += "\r\n";
  }
  return text;
}

void TStringList::SetText(std::string_view Text) {
  std::vector<std::string> lines;
  size_t i = 0;
  while (i < Text.size()) {
    const size_t stop = Text.find_first_of("\r\n", i);
    if (stop == std::string_view::npos) {
      lines.emplace_back(Text.substr(i));
      break;
    }
    lines.emplace_back(Text.substr(i, stop - i));
    i = stop + 1;
    if (Text[stop] == '\r' && i < Text.size() && Text[i] == '\n') ++i;
  }
  Updating(*this, [&] {
    Clear();
    for (std::string& s : lines) AddObject(std::move(s), nullptr);
  });
}

std::string TStringList::GetDelimitedText() const { return JoinDelimited(delimiter_, quote_char_); }

void TStringList::SetDelimitedText(std::string_view Text) {
  SplitDelimited(Text, delimiter_, quote_char_);
}

std::string TStringList::GetCommaText() const { return JoinDelimited(',', '"'); }

void TStringList::SetCommaText(std::string_view Text) { SplitDelimited(Text, ',', '"'); }

std::string TStringList::JoinDelimited(char Delim, char Quote) const {
  const bool blank_delimiter = IsBlankOrControl(Delim);
  std::string text;
  for (size_t k = 0; k < items_.size(); ++k) {
    const std::string& s = items_[k].s;
    if (k > 0) text += Delim;
    const bool quote = (s.empty() && (items_.size() == 1 || blank_delimiter)) ||
                       std::any_of(s.begin(), s.end(), [Delim, Quote](char c) {
                         return IsBlankOrControl(c) || c == Delim || c == Quote;
                       });
    if (!quote) {
      text += s;
      continue;
    }
    text += Quote;
    for (char c : s) {
      text += c;
      if (c == Quote) text += c;
    }
    text += Quote;
  }
  return text;
}

void TStringList::SplitDelimited(std::string_view Text, char Delim, char Quote) {
  std::vector<std::string> items;
  size_t i = 0;
  const size_t n = Text.size();
  auto skip_blanks = [&] {
    while (i < n && IsBlankOrControl(Text[i])) ++i;
  };
  skip_blanks();
  while (i < n) {
    std::string item;
    if (Text[i] == Quote) {
      for (++i; i < n; ++i) {
        if (Text[i] == Quote) {
          if (i + 1 < n && Text[i + 1] == Quote) {
            item += Quote;
            ++i;
            continue;
          }
          ++i;
          break;
        }
        item += Text[i];
      }
    } else {
      const size_t start = i;
      while (i < n && !IsBlankOrControl(Text[i]) && Text[i] != Delim) ++i;
      item.assign(Text.substr(start, i - start));
    }
    items.push_back(std::move(item));
    skip_blanks();
    if (i < n && Text[i] == Delim) {
      ++i;
      skip_blanks();
      if (i == n) items.emplace_back();
    }
  }
  Updating(*this, [&] {
    Clear();
    for (std::string& s : items) AddObject(std::move(s), nullptr);
  });
}

// --------------------------------------------------------- name=value lines

std::string TStringList::Names(int Index) const {
  const std::string& s = Strings(Index);
  const size_t eq = s.find('=');
  return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

std::string TStringList::ValueFromIndex(int Index) const {
  const std::string& s = Strings(Index);
  const size_t eq = s.find('=');
  return eq == std::string::npos ? std::string() : s.substr(eq + 1);
}

int TStringList::IndexOfName(std::string_view Name) const {
  for (int i = 0; i < Count(); ++i) {
    const std::string& s = items_[static_cast<size_t>(i)].s;
    const size_t eq = s.find('=');
    if (eq != std::string::npos && Compare(std::string_view(s).substr(0, eq), Name) == 0) return i;
  }
  return -1;
}

std::string TStringList::Values(std::string_view Name) const {
  const int i = IndexOfName(Name);
  return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStringList::SetValues(std::string_view Name, std::string_view Value) {
  const int i = IndexOfName(Name);
  if (Value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  std::string line(Name);
  line += '=';
  line += Value;
  if (i < 0) {
    Add(line);
  } else if (!sorted_) {
    Put(i, line);
  } else {
    Updating(*this, [&] {
      Delete(i);
      Add(line);
    });
  }
}

// ------------------------------------------------------- streams and files

void TStringList::LoadFromStream(TStream* Stream) {
  const int64_t left = Stream->GetSize() - Stream->GetPosition();
  std::string text(static_cast<size_t>(std::max<int64_t>(left, 0)), '\0');
  Stream->ReadBuffer(text.data(), static_cast<int64_t>(text.size()));
  SetText(text);
}

void TStringList::LoadFromFile(const std::string& FileName) {
  TFileStream fs(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&fs);
}

void TStringList::SaveToStream(TStream* Stream) const {
  const std::string text = GetText();
  Stream->WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

void TStringList::SaveToFile(const std::string& FileName) const {
  TStringStream(GetText()).SaveToFile(FileName);
}

}  // namespace tkz
