#include "platform/base/form_definition.h"

#include <limits>

namespace {

// Deep enough for any real form; bounds the reader's recursion.
constexpr int MaxNesting = 32;

std::string Describe(std::string_view source, int line, std::string_view problem)
{
    std::string message(source);
    message += ", line ";
    message += std::to_string(line);
    message += ": ";
    message += problem;
    return message;
}

bool IsIdentifierStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentifierPart(char c) { return IsIdentifierStart(c) || (c >= '0' && c <= '9'); }

class Reader {
public:
    Reader(std::string_view text, std::string_view source) : FText(text), FSource(source)
    {
        if (FText.substr(0, 3) == "\xEF\xBB\xBF")
            FPos = 3;
    }

    FormObject ReadDefinition()
    {
        SkipBlankLines();
        if (AtEnd()) {
            FLine = 1;
            Fail("the definition is empty");
        }
        FormObject root = ReadObject(0);
        SkipBlankLines();
        if (!AtEnd())
            Fail("unexpected text after the last \"end\"");
        return root;
    }

private:
    [[noreturn]] void Fail(std::string_view problem) const { throw EFormDefinitionError(FSource, FLine, problem); }

    bool AtEnd() const { return FPos >= FText.size(); }
    char Peek() const { return AtEnd() ? '\0' : FText[FPos]; }

    void SkipSpaces()
    {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\t'))
            ++FPos;
        if (FText.substr(FPos, 2) == "//")
            while (!AtEnd() && Peek() != '\n' && Peek() != '\r')
                ++FPos;
    }

    // Ends the current line: only blanks or a comment may follow.
    void EndLine()
    {
        SkipSpaces();
        if (AtEnd())
            return;
        if (Peek() == '\r') {
            ++FPos;
            if (Peek() == '\n')
                ++FPos;
        } else if (Peek() == '\n') {
            ++FPos;
        } else {
            Fail("unexpected text at the end of the line");
        }
        ++FLine;
    }

    void SkipBlankLines()
    {
        for (;;) {
            SkipSpaces();
            if (AtEnd() || (Peek() != '\r' && Peek() != '\n'))
                return;
            EndLine();
        }
    }

    std::string ReadIdentifier(const char* what)
    {
        SkipSpaces();
        if (!IsIdentifierStart(Peek()))
            Fail(std::string("expected ") + what);
        std::size_t start = FPos;
        while (IsIdentifierPart(Peek()))
            ++FPos;
        return std::string(FText.substr(start, FPos - start));
    }

    void Expect(char c, const char* what)
    {
        SkipSpaces();
        if (Peek() != c)
            Fail(std::string("expected ") + what);
        ++FPos;
    }

    FormObject ReadObject(int depth)
    {
        if (depth >= MaxNesting)
            Fail("objects nested too deeply");
        FormObject object;
        object.Line = FLine;
        if (ReadIdentifier("\"object\"") != "object")
            Fail("expected \"object\"");
        object.Name = ReadIdentifier("the object's name after \"object\"");
        Expect(':', "\":\" after the object's name");
        object.ClassName = ReadIdentifier("a class name after \":\"");
        EndLine();
        for (;;) {
            SkipBlankLines();
            if (AtEnd()) {
                FLine = object.Line;
                Fail("\"end\" missing for object " + object.Name);
            }
            const int line = FLine;
            const std::size_t start = FPos;
            std::string word = ReadIdentifier("a property, \"object\" or \"end\"");
            if (word == "end") {
                EndLine();
                return object;
            }
            if (word == "object") {
                FPos = start;
                object.Children.push_back(ReadObject(depth + 1));
                continue;
            }
            FormProperty property;
            property.Line = line;
            property.Name = word;
            while (Peek() == '.') {
                ++FPos;
                property.Name += '.';
                property.Name += ReadIdentifier("a name after \".\"");
            }
            for (const FormProperty& earlier : object.Properties)
                if (earlier.Name == property.Name)
                    Fail(property.Name + " is set twice");
            Expect('=', "\"=\" after the property name");
            property.Value = ReadValue();
            EndLine();
            object.Properties.push_back(std::move(property));
        }
    }

    FormValue ReadValue()
    {
        SkipSpaces();
        FormValue value;
        const char c = Peek();
        if (c == '"') {
            value.Type = FormValue::Kind::String;
            value.Text = ReadString();
        } else if (c == '[') {
            value.Type = FormValue::Kind::Set;
            ++FPos;
            SkipSpaces();
            if (Peek() != ']') {
                for (;;) {
                    value.Members.push_back(ReadIdentifier("a set member"));
                    SkipSpaces();
                    if (Peek() == ']')
                        break;
                    Expect(',', "\",\" or \"]\" in the set");
                }
            }
            ++FPos;
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            value.Type = FormValue::Kind::Integer;
            value.Integer = ReadInteger();
        } else if (IsIdentifierStart(c)) {
            value.Type = FormValue::Kind::Identifier;
            value.Identifier = ReadIdentifier("a value");
        } else {
            Fail("expected a value after \"=\"");
        }
        return value;
    }

    std::int32_t ReadInteger()
    {
        const bool negative = Peek() == '-';
        if (negative)
            ++FPos;
        if (!(Peek() >= '0' && Peek() <= '9'))
            Fail("expected digits");
        // The magnitude of the most negative value is one more than the
        // largest positive one.
        const std::int64_t limit = negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                                            : std::numeric_limits<std::int32_t>::max();
        std::int64_t magnitude = 0;
        while (Peek() >= '0' && Peek() <= '9') {
            magnitude = magnitude * 10 + (Peek() - '0');
            if (magnitude > limit)
                Fail("the number is out of range");
            ++FPos;
        }
        if (IsIdentifierPart(Peek()))
            Fail("expected digits");
        return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    }

    UnicodeString ReadString()
    {
        ++FPos;  // opening quote
        std::string bytes;
        for (;;) {
            if (AtEnd() || Peek() == '\r' || Peek() == '\n')
                Fail("the string does not end on its line");
            const char c = FText[FPos++];
            if (c == '"')
                break;
            if (c == '\\') {
                const char escaped = Peek();
                if (escaped != '"' && escaped != '\\')
                    Fail("unknown escape in the string (only \\\" and \\\\)");
                bytes += escaped;
                ++FPos;
            } else if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
                Fail("a control character in the string");
            } else {
                bytes += c;
            }
        }
        bool valid;
        UnicodeString text = UnicodeString::FromUtf8(bytes, &valid);
        if (!valid)
            Fail("the string is not valid UTF-8");
        return text;
    }

    std::string_view FText;
    std::string_view FSource;
    std::size_t FPos = 0;
    int FLine = 1;
};

}  // namespace

EFormDefinitionError::EFormDefinitionError(std::string_view source, int line, std::string_view problem)
    : Exception(UnicodeString::FromUtf8(Describe(source, line, problem))), FLine(line)
{
}

FormObject ReadFormDefinition(std::string_view text, std::string_view source)
{
    return Reader(text, source).ReadDefinition();
}

void FormPropertyReader::Fail(std::string_view problem) const
{
    throw EFormDefinitionError(FSource, FProperty.Line, problem);
}

void FormPropertyReader::Expected(const char* kind) const
{
    Fail(FProperty.Name + " takes " + kind);
}

std::int32_t FormPropertyReader::AsInteger() const
{
    if (FProperty.Value.Type != FormValue::Kind::Integer)
        Expected("a number");
    return FProperty.Value.Integer;
}

bool FormPropertyReader::AsBoolean() const
{
    if (FProperty.Value.Type == FormValue::Kind::Identifier) {
        if (FProperty.Value.Identifier == "True")
            return true;
        if (FProperty.Value.Identifier == "False")
            return false;
    }
    Expected("True or False");
}

const UnicodeString& FormPropertyReader::AsString() const
{
    if (FProperty.Value.Type != FormValue::Kind::String)
        Expected("a string");
    return FProperty.Value.Text;
}

const std::string& FormPropertyReader::AsIdentifier() const
{
    if (FProperty.Value.Type != FormValue::Kind::Identifier)
        Expected("a name");
    return FProperty.Value.Identifier;
}

const std::vector<std::string>& FormPropertyReader::AsSet() const
{
    if (FProperty.Value.Type != FormValue::Kind::Set)
        Expected("a set in brackets");
    return FProperty.Value.Members;
}
