// The About window's words: the link targets, our own examples on a domain reserved for
// documentation, and the credit line. The picture generator (tools/pictures) draws the
// pictures from these, so the words shown and the targets handed on cannot drift apart.
#pragma once

inline constexpr const char* kEMailTarget = "mailto:zukineo@example.org";
inline constexpr const char* kWebPageTarget = "https://www.example.org/zukineo/";
inline constexpr const char* kCreditLine = "by the zuKINEO developers";
