// The About window's link targets: our own examples, on a domain reserved for documentation.
// The picture generator (tools/pictures) draws the pictures of the two links from these, so
// the words shown and the targets handed to the desktop cannot drift apart.
#pragma once

inline constexpr const char* kEMailTarget = "mailto:zukineo@example.org";
inline constexpr const char* kWebPageTarget = "https://www.example.org/zukineo/";
