// HTML support: percent-encoding of URLs, HTML character references, word
// counts of HTML text, default page frames, and THtmlProducer, a component
// that fills an HTML template by replacing its "<#name params>" tags with text
// supplied by an event handler.
//
// Conventions of this module:
//   - Strings are Windows-1252 byte strings; inputs are taken as
//     std::string_view and never modified.
//   - No function raises on ordinary input, whatever bytes it is given
//     (control bytes, bytes above 127, embedded NULs, truncated escapes,
//     unbalanced tags). Every function runs in time and memory linear in
//     its input. Only the file and stream members of THtmlProducer raise,
//     and only the platform's input/output errors (EInOutError and its kin).
//
// Character references. The entity functions know
//   - the four markup characters: &amp; &lt; &gt; &quot; (and &apos; when
//     reading),
//   - the named references of Latin-1 (codes 160 to 255) from the table
//     HTMLLat1Entities, for example &nbsp; &eacute; &yuml; (names are case
//     sensitive, as in HTML: &Auml; is not &auml;),
//   - numeric references &#NNN; (decimal) and &#xHH; / &#XHH; (hexadecimal).
//     A code point is turned into the Windows-1252 byte that shows the same
//     character (&#8364; is the euro sign, byte 128); codes 128 to 159 are
//     taken as Windows-1252 bytes, as browsers do. A reference to code 0, to a
//     code point the code page lacks, or with more than 7 digits is left as
//     it is.
// A reference must end with ";": "&amp" without the semicolon is plain text.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "core/platform/classes.h"
#include "core/platform/stream.h"
#include "core/types/corekit_export.h"

namespace tkz {

// ------------------------------------------------------------------- URLs

// s with each URL-reserved character ! * ' ( ) ; : & = + $ , / ? % # [ ] @ and
// the blank replaced by "%" and its code as two upper-case hexadecimal digits;
// every other byte is kept. URLEncode("50% off!") is "50%25%20off%21".
TKZ_COREKIT_EXPORT std::string URLEncode(std::string_view s);

// Every "%" followed by two hexadecimal digits (either case) replaced by the
// byte of that code; a "%" without two hexadecimal digits after it is kept
// ("%4" and "%zz" stay as they are). The text is decoded once, so that
// URLDecode(URLEncode(s)) == s for every s: URLDecode("%2541") is "%41".
TKZ_COREKIT_EXPORT std::string URLDecode(std::string_view s);

// The directory part of an HTTP address: the text after the first "http://"
// (any letter case; text before it is dropped as well) up to and including
// the last "/". ExtractHTTPPath("http://a.org/b/c.htm") is "a.org/b/". A text
// without "/" after the prefix has no directory part and gives "".
TKZ_COREKIT_EXPORT std::string ExtractHTTPPath(std::string_view URL);

// ------------------------------------------------------------ word counts

// Number of words of s outside tags. "<" starts a tag and ">" ends it; the
// characters of a tag are skipped, and the ">" ends a word like a separator.
// Outside tags a word is a run of at least two characters not in WordSeps
// (core/text/stringl.h) that is followed by a separator; with SkipNumbers a
// run starting with a digit does not count. A run that reaches the end of s
// is not counted. InTag is the tag state at the start and, on return, at the
// end of s, so a document can be counted in pieces (split at separators).
TKZ_COREKIT_EXPORT int CountWordsHTML(std::string_view s, bool SkipNumbers, bool& InTag);

// --------------------------------------------------- character references

// The reference that writes c in HTML: "&amp;", "&lt;", "&gt;", "&quot;" for
// the markup characters, the HTMLLat1Entities name for codes 160 to 255, a
// numeric reference for the Windows-1252 characters 128 to 159 ("&#8364;" for
// the euro sign, byte 128); any other byte (including the five bytes that the
// code page leaves undefined) is returned as a one-character string.
TKZ_COREKIT_EXPORT std::string AnsiToHTMLEntity(char c);

// The character a single reference stands for, as a one-character string
// ("&eacute;" gives "\xE9", "&#65;" and "&#x41;" give "A"). The whole of
// Entity must be one reference, "&" and ";" included; anything else (an
// unknown name, a missing ";", surrounding text) is returned unchanged.
TKZ_COREKIT_EXPORT std::string HTMLEntityToAnsi(std::string_view Entity);

// s with every character that has a reference (see AnsiToHTMLEntity)
// replaced by it, so that the text can be placed in an HTML page or an
// attribute value in double quotes and shows as itself.
TKZ_COREKIT_EXPORT std::string MakeStringHTMLCompatible(std::string_view s);

// s with every reference that HTMLEntityToAnsi resolves replaced by its
// character, in one left-to-right pass ("&amp;lt;" gives "&lt;"). References
// it does not know, and "&" without a closing ";", are kept as they are.
TKZ_COREKIT_EXPORT std::string ResolveHTMLEntities(std::string_view s);

// ------------------------------------------------------------ page frames

// The start of an HTML 4.01 page declared as Windows-1252, one element per
// line (lines end in "\n"): document type, <html>, <head>, the charset meta
// element, <title>Title</title>, a "author" meta element when Author is not
// empty, a "keywords" meta element when Keywords is not empty, </head>, and,
// when OpenBody is true, "<body" followed by a blank and BodyAttributes (when
// not empty) and ">". Title, Author and Keywords are written through
// MakeStringHTMLCompatible; BodyAttributes is markup and is written as given.
TKZ_COREKIT_EXPORT std::string DefaultHTMLHead(std::string_view Title, std::string_view Author,
                                               std::string_view Keywords,
                                               std::string_view BodyAttributes, bool OpenBody);

// The end of a page: "</body>\n</html>\n" when CloseBody is true, else
// "</html>\n".
TKZ_COREKIT_EXPORT std::string DefaultHTMLFoot(bool CloseBody);

// The content of the body element of s: the text after the ">" of the first
// "<body" tag (any letter case, followed by ">" or white space) up to the
// last "</body>" (any case), or up to the end when there is none. A text
// without a body tag is returned whole; a body tag without its ">" gives "".
TKZ_COREKIT_EXPORT std::string ExtractHTMLBody(std::string_view s);

// The body of s (ExtractHTMLBody) as plain text: comments, tags and the
// content of <script> and <style> elements are removed; each run of white
// space (blank, tab, CR, LF) becomes one blank; the line-breaking tags <br>,
// <p>, <div>, <li>, <tr>, <hr>, <h1> to <h6> and the closing forms of the
// block tags are replaced by LineBreak (nothing when LineBreak is code 0);
// finally references are resolved (ResolveHTMLEntities), so "&lt;b&gt;"
// becomes the text "<b>". A "<" not followed by a letter, "/", "!" or "?" is
// text; an unterminated tag runs to the end of s.
TKZ_COREKIT_EXPORT std::string ConvertHTMLBodyToText(std::string_view s, char LineBreak);

// ---------------------------------------------------------- THtmlProducer

// Handler of a template tag: TagName is lower-cased, Params has its blanks
// stripped at both ends; Replacement starts as the whole tag text and the
// handler may change it.
using TOnHTMLTagEvent = std::function<void(TObject* Sender, const std::string& TagName,
                                           const std::string& Params, std::string& Replacement)>;

// Fills an HTML template. A template tag is "<#", a name, optionally a blank
// and parameters, and ">", e.g. "<#date format=long>"; any other "<" is text.
// Convert copies the template to the result, replacing each tag with the text
// that OnHTMLTag gives for it; without a handler a template converts to
// itself. A tag without its ">" runs to the end of the template.
class TKZ_COREKIT_EXPORT THtmlProducer : public TComponent {
 public:
  explicit THtmlProducer(TComponent* AOwner = nullptr);
  ~THtmlProducer() override;
  std::string ClassName() const override { return "THtmlProducer"; }

  // The template that Convert fills.
  void SetTemplate(std::string_view Template);
  const std::string& GetTemplate() const { return template_; }
  // Replaces the template with the bytes of a file; on a platform error the
  // error passes to the caller and the template is unchanged.
  void ReadTemplateFromFile(const std::string& FileName);
  // Replaces the template with the bytes of Stream from its position to its
  // end (the stream is left at its end). A null stream gives an empty
  // template.
  void ReadTemplateFromStream(TStream* Stream);

  // Converts the template and returns the result, which the component also
  // keeps. An exception raised by the handler passes to the caller and leaves
  // the previous result in place.
  std::string Convert();
  // The result of the last Convert ("" before the first).
  const std::string& GetConvertedHTML() const { return converted_; }
  // A memory stream holding the result of the last Convert, positioned at 0.
  // The component owns it and frees the previous one on each call.
  TMemoryStream* ConvertedHTMLAsStream();
  // Writes the result of the last Convert to FileName, replacing an existing
  // file. The bytes go to a temporary file beside it that is then renamed
  // into place, so a failed write leaves the old file as it was; platform
  // errors pass to the caller.
  void WriteConvertedHTMLToFile(const std::string& FileName);

  TOnHTMLTagEvent OnHTMLTag;

 private:
  std::string template_;
  std::string converted_;
  size_t pos_ = 0;  // scan position of the running Convert
  std::unique_ptr<TMemoryStream> stream_;
};

}  // namespace tkz
