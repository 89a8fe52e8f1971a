#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/base/exception.h"

// A stored form definition, as text:
//
//   // comment
//   object FMain: TFMain
//     Caption = "Main window"
//     Font.Style = [fsBold]
//     object Panel1: TPanel
//       Align = alTop
//     end
//   end
//
// One object header, property or "end" a line. Values are integers,
// identifiers, strings in double quotes (UTF-8; \" and \\ escape) or sets of
// identifiers in brackets.

// A form definition that is malformed, or that names something the form
// does not have. The message names the definition and the line.
class EFormDefinitionError : public Exception {
public:
    EFormDefinitionError(std::string_view source, int line, std::string_view problem);
    int Line() const { return FLine; }

private:
    int FLine;
};

struct FormValue {
    enum class Kind { Integer, Identifier, String, Set };

    Kind Type = Kind::Integer;
    std::int32_t Integer = 0;
    std::string Identifier;
    UnicodeString Text;
    std::vector<std::string> Members;
};

struct FormProperty {
    std::string Name;
    FormValue Value;
    int Line = 0;
};

struct FormObject {
    std::string Name;
    std::string ClassName;
    int Line = 0;
    std::vector<FormProperty> Properties;
    std::vector<FormObject> Children;
};

// Reads a whole definition; throws EFormDefinitionError, naming `source`,
// for anything malformed.
FormObject ReadFormDefinition(std::string_view text, std::string_view source);

// Typed reading of one property's value, for the components that take it.
// A value of the wrong kind, or an identifier outside the given set, throws
// EFormDefinitionError with the property's line.
class FormPropertyReader {
public:
    FormPropertyReader(const FormProperty& property, std::string_view source)
        : FProperty(property), FSource(source)
    {
    }

    const std::string& Name() const { return FProperty.Name; }
    int Line() const { return FProperty.Line; }
    const FormValue& Value() const { return FProperty.Value; }

    std::int32_t AsInteger() const;
    bool AsBoolean() const;
    const UnicodeString& AsString() const;
    const std::string& AsIdentifier() const;
    const std::vector<std::string>& AsSet() const;

    template <class Enum>
    Enum AsEnum(std::initializer_list<std::pair<const char*, Enum>> names) const
    {
        const std::string& identifier = AsIdentifier();
        for (const auto& [name, value] : names)
            if (identifier == name)
                return value;
        Fail("\"" + identifier + "\" is not a value of " + FProperty.Name);
    }

    [[noreturn]] void Fail(std::string_view problem) const;

private:
    [[noreturn]] void Expected(const char* kind) const;

    const FormProperty& FProperty;
    std::string_view FSource;
};
