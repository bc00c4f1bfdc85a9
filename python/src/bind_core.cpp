// tkz.core: checksums, Base64 and ASCII85, and the TGrep matcher.
#include <cstdint>
#include <string>

#include "core/dstruct/checksums.h"
#include "core/platform/classes.h"
#include "core/platform/stream.h"
#include "core/text/regex.h"
#include "python/src/common.h"

namespace tkz::python {
namespace {

// Bytes of a buffer-protocol object or a str (encoded to Windows-1252, as the
// libraries see text). The view stays valid while the object lives.
class Bytes {
 public:
  explicit Bytes(py::handle data) {
    if (PyUnicode_Check(data.ptr())) {
      text_ = FromStr(data, "data");
      ptr_ = text_.data();
      size_ = text_.size();
      return;
    }
    if (PyObject_GetBuffer(data.ptr(), &view_, PyBUF_SIMPLE) != 0) {
      PyErr_Clear();
      throw py::type_error(std::string("data must be bytes-like or str, not ") +
                           Py_TYPE(data.ptr())->tp_name);
    }
    held_ = true;
    ptr_ = view_.buf;
    size_ = static_cast<size_t>(view_.len);
  }
  Bytes(const Bytes&) = delete;
  Bytes& operator=(const Bytes&) = delete;
  ~Bytes() {
    if (held_) PyBuffer_Release(&view_);
  }
  const void* data() const { return ptr_; }
  size_t size() const { return size_; }

 private:
  Py_buffer view_{};
  bool held_ = false;
  std::string text_;
  const void* ptr_ = nullptr;
  size_t size_ = 0;
};

// Large inputs are worked on without the GIL; the buffer cannot go away
// meanwhile because `Bytes` holds it.
constexpr size_t kReleaseGilAbove = 64 * 1024;

template <typename F>
auto WithoutGilIfLarge(size_t size, F&& f) {
  if (size < kReleaseGilAbove) return f();
  py::gil_scoped_release release;
  return f();
}

py::bytes AsBytes(const std::string& s) { return py::bytes(s.data(), s.size()); }

// Reads a whole file in blocks, feeding each to `fold`, without the GIL.
template <typename Fold>
void ForEachBlock(const std::string& file_name, Fold&& fold) {
  py::gil_scoped_release release;
  TFileStream in(file_name, fmOpenRead);
  std::string block(1 << 16, '\0');
  for (;;) {
    const int64_t n = in.Read(block.data(), static_cast<int64_t>(block.size()));
    if (n <= 0) break;
    fold(block.data(), static_cast<size_t>(n));
  }
}

std::string Sha1(const void* data, size_t size) {
  const TSHA1Digest d = SHA1FromBytes(data, size);
  return std::string(reinterpret_cast<const char*>(d.data()), d.size());
}

// Runs a stream codec over `data`; a decoder's status other than kDecodeOK
// raises ConvertError with `what`.
template <typename Codec>
py::bytes RunCodec(py::handle data, Codec&& codec) {
  Bytes in(data);
  std::string out;
  WithoutGilIfLarge(in.size(), [&] {
    TStringStream src(std::string_view(static_cast<const char*>(in.data()), in.size()));
    TStringStream dst;
    codec(&src, &dst);
    out = dst.DataString();
    return 0;
  });
  return AsBytes(out);
}

// ------------------------------------------------------------------- Grep
struct Match {
  py::object string;  // the searched object; group() slices it
  Py_ssize_t start;
  Py_ssize_t end;
};

class Grep {
 public:
  Grep(py::handle pattern, bool ignore_case) {
    grep_.SetName("Grep");
    grep_.SetIgnoreCase(ignore_case);
    grep_.SetRegExp(FromStr(pattern, "pattern"));
    pattern_ = py::reinterpret_borrow<py::object>(pattern);
  }

  py::object Pattern() const { return pattern_; }
  bool IgnoreCase() const { return grep_.GetIgnoreCase(); }

  // The first match at or after pos (0-based), or None.
  py::object Search(py::handle text, Py_ssize_t pos) {
    const std::string subject = FromStr(text, "text");
    Match m;
    if (!Find(subject, pos, m)) return py::none();
    m.string = py::reinterpret_borrow<py::object>(text);
    return py::cast(m);
  }

  py::list FindIter(py::handle text) {
    const std::string subject = FromStr(text, "text");
    py::list out;
    const auto n = static_cast<Py_ssize_t>(subject.size());
    Py_ssize_t pos = 0;
    Match m;
    while (pos <= n && Find(subject, pos, m)) {
      m.string = py::reinterpret_borrow<py::object>(text);
      out.append(py::cast(m));
      pos = m.end > m.start ? m.end : m.start + 1;
    }
    return out;
  }

 private:
  bool Find(const std::string& subject, Py_ssize_t pos, Match& m) {
    if (pos < 0) pos = 0;
    if (pos > static_cast<Py_ssize_t>(subject.size())) return false;
    grep_.SetSearchStartPos(static_cast<int>(pos) + 1);
    int at = 0;
    if (!grep_.MatchString(subject, at)) return false;
    m.start = at - 1;
    m.end = grep_.GetMatchEnd();
    return true;
  }

  TGrep grep_;
  py::object pattern_;
};

py::object Slice(const Match& m) { return m.string[py::slice(m.start, m.end, 1)]; }

}  // namespace

void BindCore(py::module_& m) {
  py::module_ sub = m.def_submodule(
      "core",
      "Checksums (CRC-16, CRC-32, SHA-1), Base64 and ASCII85, and Grep regular expressions.");

  sub.def(
      "crc16",
      [](py::handle data, const std::string& mode) {
        uint16_t start;
        if (mode == "zmodem")
          start = 0x0000;
        else if (mode == "ccitt")
          start = 0xFFFF;
        else
          throw py::value_error("mode must be \"zmodem\" or \"ccitt\", not \"" + mode + "\"");
        Bytes in(data);
        return WithoutGilIfLarge(in.size(),
                                 [&] { return CRC16Update(start, in.data(), in.size()); });
      },
      py::arg("data"), py::arg("mode") = "zmodem",
      "CRC-16 (polynomial 0x1021, most significant bit first) of bytes or text.\n\n"
      "mode \"zmodem\" starts from 0x0000 (XMODEM/ZMODEM), \"ccitt\" from 0xFFFF.");
  sub.def(
      "crc32",
      [](py::handle data, uint32_t start) {
        Bytes in(data);
        return WithoutGilIfLarge(in.size(),
                                 [&] { return ~CRC32Update(~start, in.data(), in.size()); });
      },
      py::arg("data"), py::arg("start") = 0,
      "CRC-32 (as zip and PNG use it) of bytes or text; pass an earlier result as start to "
      "continue over more data.");
  sub.def(
      "crc32_file",
      [](py::handle path) {
        uint32_t crc = 0xFFFFFFFFu;
        ForEachBlock(FromPath(path),
                     [&](const char* p, size_t n) { crc = CRC32Update(crc, p, n); });
        return ~crc;
      },
      py::arg("path"),
      "CRC-32 of a file's contents; a file that cannot be read raises tkz.InOutError.");
  sub.def(
      "sha1",
      [](py::handle data) {
        Bytes in(data);
        return AsBytes(WithoutGilIfLarge(in.size(), [&] { return Sha1(in.data(), in.size()); }));
      },
      py::arg("data"), "SHA-1 digest (20 bytes) of bytes or text; .hex() gives the usual text.");
  sub.def(
      "sha1_file",
      [](py::handle path) {
        const std::string name = FromPath(path);
        TSHA1Digest d;
        {
          py::gil_scoped_release release;
          d = SHA1FromFile(name);
        }
        return py::bytes(reinterpret_cast<const char*>(d.data()), d.size());
      },
      py::arg("path"),
      "SHA-1 digest (20 bytes) of a file; a file that cannot be read raises tkz.InOutError.");

  sub.def(
      "b64encode",
      [](py::handle data, bool line_breaks) {
        return RunCodec(data,
                        [&](TStream* in, TStream* out) { EncodeBase64(in, out, line_breaks); });
      },
      py::arg("data"), py::arg("line_breaks") = false,
      "Base64 text of bytes (as bytes, like base64.b64encode); line_breaks wraps the lines.");
  sub.def(
      "b64decode",
      [](py::handle text) {
        return RunCodec(text, [](TStream* in, TStream* out) {
          if (DecodeBase64(in, out) != kDecodeOK) throw EConvertError("invalid Base64 group");
        });
      },
      py::arg("text"),
      "The bytes of Base64 text (str or bytes); invalid text raises tkz.ConvertError.");
  sub.def(
      "a85encode",
      [](py::handle data, bool line_breaks) {
        return RunCodec(data,
                        [&](TStream* in, TStream* out) { EncodeASCII85(in, out, line_breaks); });
      },
      py::arg("data"), py::arg("line_breaks") = false,
      "ASCII85 text of bytes (as bytes); four zero bytes become \"z\".");
  sub.def(
      "a85decode",
      [](py::handle text) {
        return RunCodec(text, [](TStream* in, TStream* out) {
          const int status = DecodeASCII85(in, out);
          if (status == kDecodeZInGroup) throw EConvertError("ASCII85: \"z\" inside a group");
          if (status != kDecodeOK) throw EConvertError("ASCII85: invalid character");
        });
      },
      py::arg("text"), "The bytes of ASCII85 text; invalid text raises tkz.ConvertError.");

  py::class_<Match>(sub, "Match", "Where a Grep pattern matched: start and end as for slicing.")
      .def_readonly("start", &Match::start, "Index of the first matched character.")
      .def_readonly("end", &Match::end, "Index just after the match.")
      .def(
          "span", [](const Match& m) { return py::make_tuple(m.start, m.end); }, "(start, end).")
      .def("group", &Slice, "The matched text, str or bytes like the searched object.")
      .def("__repr__", [](const Match& m) {
        return py::str("<tkz.core.Match span=({}, {}) match={!r}>")
            .format(m.start, m.end, Slice(m));
      });

  py::class_<Grep>(
      sub, "Grep",
      "A compiled regular expression of the library's dialect: literals, \".\", sets\n"
      "[a-z] and [^...], groups, \"*\", \"+\", \"?\", \"^\" and \"$\"; case folding follows\n"
      "Windows-1252. An invalid pattern raises tkz.StringError.")
      .def(py::init(
               [](py::handle pattern, bool ignore_case) { return new Grep(pattern, ignore_case); }),
           py::arg("pattern"), py::kw_only(), py::arg("ignore_case") = false)
      .def_property_readonly("pattern", &Grep::Pattern, "The pattern as given.")
      .def_property_readonly("ignore_case", &Grep::IgnoreCase, "Whether case is ignored.")
      .def("search", &Grep::Search, py::arg("text"), py::arg("pos") = 0,
           "The first match in text (str or bytes) at or after pos, or None.")
      .def("finditer", &Grep::FindIter, py::arg("text"),
           "Every match from left to right, none overlapping (a list).")
      .def(
          "findall",
          [](Grep& g, py::handle text) {
            py::list out;
            for (py::handle m : g.FindIter(text)) out.append(Slice(m.cast<const Match&>()));
            return out;
          },
          py::arg("text"), "The matched texts of finditer.")
      .def("__repr__", [](const Grep& g) {
        return py::str("tkz.core.Grep({!r}, ignore_case={})").format(g.Pattern(), g.IgnoreCase());
      });
}

}  // namespace tkz::python
