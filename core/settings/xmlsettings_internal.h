// Character references of the suite's XML files (not installed): the one
// codec for the text and attribute values that the saved components write.
#pragma once

#include <string>
#include <string_view>

namespace tkz {

// Text between tags: "&", "<", ">" become &amp; &lt; &gt;, control bytes
// (below 32, and 127) &#N;, every other byte stays (quotes too).
std::string EscapeXMLText(std::string_view s);
// A value between double quotes: as EscapeXMLText, and '"' becomes &quot;.
std::string EscapeXMLAttribute(std::string_view s);

// Resolves &amp; &lt; &gt; &quot; and decimal references &#N; up to 255 with
// at most four digits. Anything else after a "&" (unknown names, hex or
// larger numbers, no ";") is kept as it stands.
std::string UnescapeXMLText(std::string_view s);

}  // namespace tkz
