// Text inside the programs is UTF-8. Windows takes UTF-16 at its W calls,
// and the files the programs store keep their single-byte code pages: the
// settings and alias files Windows-1251, the uninstaller's batch file the
// OEM code page 866. These are the only conversions between them.
//
// UTF-8 here is the form that also carries a lone UTF-16 surrogate (three
// bytes, as if it were a character), so that any name Windows gives back,
// even one that is not valid UTF-16, converts to UTF-8 and back to the very
// same UTF-16: a file is never addressed by a name other than its own.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vh {

// UTF-8 to UTF-16. nullopt for bytes that are not UTF-8 (a stray
// continuation byte, a cut sequence, an over-long form, a value above
// U+10FFFF): such text names nothing.
std::optional<std::u16string> utf8_to_utf16(std::string_view utf8);

// UTF-16 to UTF-8; never fails (a lone surrogate is kept, see above).
std::string utf16_to_utf8(std::u16string_view utf16);

// The length Windows counts: UTF-16 code units. Invalid bytes count one each.
std::size_t utf16_length(std::string_view utf8);

// Windows-1251 bytes of a UTF-8 text; nullopt when a character has no
// Windows-1251 form (or the text is not UTF-8): nothing is ever stored with
// a stand-in character.
std::optional<std::string> utf8_to_cp1251(std::string_view utf8);
// Every byte has a character (0x98, which Windows leaves unassigned, stands
// for U+0098), so any file reads back and writes again unchanged.
std::string cp1251_to_utf8(std::string_view cp1251);

// The same for the OEM code page 866 of the Russian command interpreter.
std::optional<std::string> utf8_to_cp866(std::string_view utf8);
std::string cp866_to_utf8(std::string_view cp866);

}  // namespace vh
