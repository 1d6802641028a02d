// The backslash escapes of vCard values, both ways: the writer escapes what it writes and the
// reader undoes what any writer escaped, so the two stay in step here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The versions the program writes; they differ in which characters a value escapes.
enum class VCardVersion { v21, v30, v40 };

// Escapes text for a value: backslash and semicolon always; comma and line breaks from 3.0 on.
// Version 2.1 keeps line breaks (as CR LF), which quoted-printable then carries.
std::string EscapeValue(const std::string& str, VCardVersion version);

// Undoes the backslash escapes; with bStructured, unescaped semicolons separate components.
// From 3.0 on a backslash before a character no escape names is dropped and the character kept,
// as other readers do; 2.1, which escapes little, keeps both (a path such as C:\temp).
std::vector<std::string> SplitValue(std::string_view strValue, bool bStructured, VCardVersion version);
// The same into parts, whose texts' memory is used again, for a reader that splits value after
// value.
void SplitValue(std::string_view strValue, bool bStructured, VCardVersion version,
                std::vector<std::string>& parts);
// The unstructured value alone, as SplitValue gives it, without making a list.
std::string UnescapeValue(std::string_view strValue, VCardVersion version);

// Splits a structured value at its unescaped semicolons and leaves every component escaped as
// written, for a writer that changes one component and keeps the others as they were.
std::vector<std::string> SplitEscapedComponents(const std::string& strValue);
