// TGrep: properties, the compiler and the token listing.
#include "core/text/regex.h"

#include <algorithm>
#include <vector>

#include "core/platform/textfile.h"
#include "core/text/charcase.h"
#include "core/text/regex_scan_internal.h"
#include "core/text/stringl.h"
#include "core/types/tkzbase.h"

namespace tkz {

std::string GrepErrorText(int Code) {
  switch (Code) {
    case 1:
      return "reg.exp. must not start with $, *, ?, or +";
    case 2:
      return "circumflex not allowed here";
    case 3:
      return "no character allowed after end of line";
    case 4:
      return "empty set";
    case 5:
      return "circumflex has to be quoted in set";
    case 6:
      return "mismatch of set brackets";
    case 7:
      return "minus not allowed here";
    case 8:
      return "mismatch of group brackets";
    case 9:
      return "*, ?, + have to be applied to groups or sets only";
    case TGrep::kErrTooManyTokens:
      return "reg.exp. too long (more than 64 tokens)";
    case TGrep::kErrGroupTooLong:
      return "group too long (more than 255 characters)";
    default:
      return "";
  }
}

TGrep::TGrep(TComponent* AOwner) : TComponent(AOwner) {}

void TGrep::SetIgnoreCase(bool b) {
  ignore_case_ = b;
  CompileRegExp(reg_exp_);
}

void TGrep::SetRegExp(const std::string& s) {
  reg_exp_ = s;
  CompileRegExp(s);
  if (error_code_ > 0 && stop_on_error_)
    throw ETKZStringlError("Component \"" + GetName() + "\": error in regular expression - " +
                           GrepErrorText(error_code_));
}

TGrepToken TGrep::GetRegExpToken(int i) const {
  if (i > token_count_) i = token_count_;
  if (i < 1) i = 1;
  return tokens_[static_cast<size_t>(i - 1)];
}

bool TGrep::AddToken(TGrepTokenAct a, int count) {
  if (token_count_ >= kMaxTokens) return false;
  TGrepToken& t = tokens_[static_cast<size_t>(token_count_++)];
  t.Action = a;
  t.Count = count;
  t.Payload.fill(a == taSet ? ' ' : '\0');
  t.MatchedAt = 0;
  return true;
}

namespace {

// One character of the expression after "\#hh" codes are resolved. Escaped
// characters and characters given by code are literal.
struct Item {
  unsigned char c;
  bool lit;
};

std::vector<Item> Resolve(const std::string& e, bool ignore_case) {
  std::vector<Item> r;
  r.reserve(e.size());
  const size_t n = e.size();
  for (size_t i = 0; i < n;) {
    const auto c = static_cast<unsigned char>(e[i]);
    if (c != '\\') {
      r.push_back({c, false});
      ++i;
    } else if (i + 3 < n && e[i + 1] == '#') {
      int v = 0;
      for (size_t k = i + 2; k < i + 4 && HexCharValue(e[k]) >= 0; ++k)
        v = v * 16 + HexCharValue(e[k]);
      char ch = static_cast<char>(v);
      if (ignore_case) ch = AnsiLowerChar(ch);
      r.push_back({static_cast<unsigned char>(ch), true});
      i += 4;
    } else if (i + 1 < n) {
      r.push_back({static_cast<unsigned char>(e[i + 1]), true});
      i += 2;
    } else {
      r.push_back({c, true});
      ++i;
    }
  }
  return r;
}

bool Is(const Item& it, char c) { return !it.lit && it.c == static_cast<unsigned char>(c); }

// What the last item produced, for the quantifiers and the items that care.
enum class Last { None, Literal, Any, Set, Group, EmptyGroup, Bol, Eol, Quant };

}  // namespace

int TGrep::CompileRegExp(const std::string& s) {
  token_count_ = 0;
  const std::string e = ignore_case_ ? AnsiLowerCase(s) : s;
  const std::vector<Item> items = Resolve(e, ignore_case_);
  const size_t n = items.size();
  Last last = Last::None;
  int code = 0;

  auto cur = [&]() -> TGrepToken& { return tokens_[static_cast<size_t>(token_count_ - 1)]; };
  auto add_literal = [&](unsigned char c) {
    if ((last != Last::Literal && last != Last::Group) || cur().Count >= 255) {
      if (!AddToken(taNormal, 0)) return kErrTooManyTokens;
    }
    TGrepToken& t = cur();
    t.Payload[static_cast<size_t>(++t.Count)] = static_cast<char>(c);
    last = Last::Literal;
    return 0;
  };

  for (size_t i = 0; i < n && code == 0; ++i) {
    const Item it = items[i];
    if (last == Last::Eol) {
      code = 3;
      break;
    }
    if (it.lit) {
      code = add_literal(it.c);
      continue;
    }
    switch (it.c) {
      case '^':
        if (last != Last::None) {
          code = 2;
        } else if (!AddToken(taBol, 0)) {
          code = kErrTooManyTokens;
        } else {
          last = Last::Bol;
        }
        break;
      case '$':
        if (last == Last::None) {
          code = 1;
        } else if (!AddToken(taEol, 0)) {
          code = kErrTooManyTokens;
        } else {
          last = Last::Eol;
        }
        break;
      case '.':
        if (!AddToken(taAnyByte, 0)) {
          code = kErrTooManyTokens;
        } else {
          last = Last::Any;
        }
        break;
      case '[': {
        bool member[256] = {};
        bool negate = false;
        size_t j = i + 1;
        if (j < n && Is(items[j], '^')) {
          negate = true;
          ++j;
        }
        if (j < n && Is(items[j], ']')) {
          code = 4;
          break;
        }
        if (j < n && Is(items[j], '-')) {
          code = 7;
          break;
        }
        int prev = -1;
        bool closed = false;
        for (; j < n && code == 0; ++j) {
          const Item m = items[j];
          if (Is(m, ']')) {
            closed = true;
            break;
          }
          if (Is(m, '^')) {
            code = 5;
          } else if (Is(m, '-') && prev >= 0 && j + 1 < n && !Is(items[j + 1], ']')) {
            const Item hi = items[++j];
            if (Is(hi, '^')) {
              code = 5;
              break;
            }
            int a = prev, b = hi.c;
            if (a > b) std::swap(a, b);
            for (int c = a; c <= b; ++c) member[c] = true;
            prev = hi.c;
          } else {
            member[m.c] = true;
            prev = m.c;
          }
        }
        if (code != 0) break;
        if (!closed) {
          code = 6;
          break;
        }
        if (!AddToken(taSet, -1)) {
          code = kErrTooManyTokens;
          break;
        }
        for (int c = 0; c < 256; ++c)
          cur().Payload[static_cast<size_t>(c)] = (member[c] != negate) ? '*' : ' ';
        last = Last::Set;
        i = j;
        break;
      }
      case ']':
        code = 6;
        break;
      case '(': {
        // A group directly after a closed group continues its token.
        const bool cont = last == Last::Group;
        size_t j = i + 1;
        std::string text;
        for (; j < n; ++j) {
          if (Is(items[j], ')')) break;
          if (Is(items[j], '^')) {
            code = 2;
            break;
          }
          text.push_back(static_cast<char>(items[j].c));
        }
        if (code != 0) break;
        i = j;  // at ")" or past the end (an unterminated group is literal)
        if (text.empty()) {
          if (!cont) last = Last::EmptyGroup;
          break;
        }
        if (!cont && !AddToken(taNormal, 0)) {
          code = kErrTooManyTokens;
          break;
        }
        TGrepToken& t = cur();
        if (t.Count + static_cast<int>(text.size()) > 255) {
          code = kErrGroupTooLong;
          break;
        }
        for (char c : text) t.Payload[static_cast<size_t>(++t.Count)] = c;
        last = Last::Group;
        break;
      }
      case ')':
        code = 8;
        break;
      case '*':
      case '+':
      case '?': {
        const TGrepTokenAct q = it.c == '*' ? taMult0 : it.c == '+' ? taMult1 : taOpti;
        if (last == Last::None) {
          code = 1;
        } else if (last == Last::Any) {
          cur().Action = q;
          cur().Count = 0;
        } else if (last == Last::Set || last == Last::Group) {
          cur().Action = q;
        } else if (last == Last::Literal) {
          if (cur().Count == 1) {
            cur().Action = q;
          } else {
            TGrepToken& t = cur();
            const char c = t.Payload[static_cast<size_t>(t.Count)];
            t.Payload[static_cast<size_t>(t.Count--)] = '\0';
            if (!AddToken(q, 1)) {
              code = kErrTooManyTokens;
              break;
            }
            cur().Payload[1] = c;
          }
        } else {
          code = 9;
        }
        last = Last::Quant;
        break;
      }
      case '-':
        if (last == Last::Set) {
          code = 7;
        } else {
          code = add_literal(it.c);
        }
        break;
      default:
        code = add_literal(it.c);
        break;
    }
  }
  if (code != 0) token_count_ = 0;
  if (token_count_ == 0) tokens_[0] = TGrepToken{};
  error_code_ = code;
  PlanSearch();
  grep_internal::PrepareScan(scan_);
  return code;
}

void TGrep::PlanSearch() {
  using grep_internal::Lead;
  using grep_internal::StartScan;
  // Leads from the back: a token that may match nothing adds its first
  // bytes to those of the rest after it.
  lead_[static_cast<size_t>(token_count_)] = Lead{};  // the end: anywhere
  for (int k = token_count_ - 1; k >= 0; --k) {
    const TGrepToken& t = tokens_[static_cast<size_t>(k)];
    Lead& l = lead_[static_cast<size_t>(k)];
    const bool optional = t.Action == taMult0 || t.Action == taOpti;
    const Lead& rest = lead_[static_cast<size_t>(k + 1)];
    l = optional ? rest : Lead{false, false, -1, false, {}};
    l.run_excludes_rest = false;
    if ((t.Action == taMult0 || t.Action == taMult1) && t.Count < 0 && k + 1 < token_count_ &&
        !rest.any) {
      l.run_excludes_rest = true;
      for (int c = 0; c < 256; ++c)
        if (t.Payload[static_cast<size_t>(c)] == '*' && rest.bytes[static_cast<size_t>(c)])
          l.run_excludes_rest = false;
    }
    switch (t.Action) {
      case taAnyByte:
      case taBol:
        l.any = true;
        break;
      case taEol:
        l.at_end = true;
        break;
      case taNormal:
        l.bytes[static_cast<unsigned char>(t.Payload[1])] = true;
        break;
      case taSet:
        for (int c = 0; c < 256; ++c)
          if (t.Payload[static_cast<size_t>(c)] == '*') l.bytes[static_cast<size_t>(c)] = true;
        break;
      case taMult0:
      case taMult1:
      case taOpti:
        if (t.Count == 0) {
          l.any = true;
        } else if (t.Count > 0) {
          l.bytes[static_cast<unsigned char>(t.Payload[1])] = true;
        } else {
          for (int c = 0; c < 256; ++c)
            if (t.Payload[static_cast<size_t>(c)] == '*') l.bytes[static_cast<size_t>(c)] = true;
        }
        break;
    }
    l.only = -1;
    if (!l.any && std::count(l.bytes.begin(), l.bytes.end(), true) == 1)
      l.only =
          static_cast<int16_t>(std::find(l.bytes.begin(), l.bytes.end(), true) - l.bytes.begin());
  }

  // The start scan works on raw bytes: a byte counts when its folded form
  // can begin a match.
  scan_ = StartScan{};
  const Lead& l0 = lead_[0];
  if (token_count_ == 0 || l0.any) return;
  auto raw_of = [&](auto&& folded, std::array<bool, 256>& raw) {
    int n = 0;
    for (int c = 0; c < 256; ++c) {
      const auto f = ignore_case_ ? static_cast<unsigned char>(AnsiLowerChar(static_cast<char>(c)))
                                  : static_cast<unsigned char>(c);
      raw[static_cast<size_t>(c)] = folded(f);
      n += raw[static_cast<size_t>(c)];
    }
    return n;
  };
  auto list = [](const std::array<bool, 256>& raw, uint8_t* out) {
    uint8_t n = 0;
    for (int c = 0; c < 256 && n < 3; ++c)
      if (raw[static_cast<size_t>(c)]) out[n++] = static_cast<uint8_t>(c);
    return n;
  };
  const int members = raw_of([&](unsigned char f) { return l0.bytes[f]; }, scan_.raw);
  if (members == 0) return;  // only an empty match at the end: nothing to scan
  const TGrepToken& t0 = tokens_[0];
  if (members <= 3) {
    scan_.kind = StartScan::kBytes;
    scan_.nb = list(scan_.raw, scan_.b);
    if (t0.Action == taNormal && t0.Count >= 2) {
      // The literal's last byte as well rules out most candidates at once.
      std::array<bool, 256> last{};
      const auto z = static_cast<unsigned char>(t0.Payload[static_cast<size_t>(t0.Count)]);
      if (raw_of([&](unsigned char f) { return f == z; }, last) <= 3) {
        scan_.kind = StartScan::kPair;
        scan_.nz = list(last, scan_.z);
        scan_.off = t0.Count - 1;
      }
    }
    return;
  }
  int lo = 0;
  while (!scan_.raw[static_cast<size_t>(lo)]) ++lo;
  int hi = lo;
  while (hi < 255 && scan_.raw[static_cast<size_t>(hi + 1)]) ++hi;
  if (hi - lo + 1 == members) {
    scan_.kind = StartScan::kRange;
    scan_.lo = static_cast<uint8_t>(lo);
    scan_.span = static_cast<uint8_t>(hi - lo);
  } else {
    scan_.kind = StartScan::kTable;
  }
}

void TGrep::PrintRegExp(const std::string& FileName) const {
  auto members = [](const TGrepToken& t) {
    std::string r;
    for (int c = 0; c < 256; ++c)
      if (t.Payload[static_cast<size_t>(c)] == '*') r.push_back(static_cast<char>(c));
    return r;
  };
  auto literal = [](const TGrepToken& t) {
    return std::string(t.Payload.data() + 1, static_cast<size_t>(t.Count));
  };
  ReplaceTextFile(FileName, [&](TTextFile& f) {
    for (int k = 0; k < token_count_; ++k) {
      const TGrepToken& t = tokens_[static_cast<size_t>(k)];
      switch (t.Action) {
        case taNormal:
          f.WriteLn(" taNormal: " + literal(t));
          break;
        case taAnyByte:
          f.WriteLn("taAnyByte: ");
          break;
        case taEol:
          f.WriteLn("    taEol: ");
          break;
        case taBol:
          f.WriteLn("    taBol: ");
          break;
        case taSet:
          f.WriteLn("    taSet: " + members(t));
          break;
        case taMult0:
        case taMult1:
        case taOpti: {
          std::string line = t.Action == taMult0   ? "  taMult0: "
                             : t.Action == taMult1 ? "  taMult1: "
                                                   : "   taOpti: ";
          if (t.Count < 0) {
            line += "(set) " + members(t);
          } else if (t.Count == 0) {
            line += "(anychar) ";
          } else {
            line += "(string) " + literal(t);
          }
          f.WriteLn(line);
          break;
        }
      }
    }
  });
}

}  // namespace tkz
