// Reading form definitions: everything a definition names must exist, and
// every fault is reported with the line it is on.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test_form.h"
#include "tests/support/gui_objects.h"

namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

int LineOf(const std::string& text, const std::string& piece)
{
    const auto at = text.find(piece);
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
}

TEST(FormDefinition, LoadsEveryControlWithItsProperties)
{
    TTestForm* form = LoadTestForm();
    EXPECT_EQ(form->Name.ToUtf8(), "TestForm");
    EXPECT_EQ(form->Caption().ToUtf8(), "Platform test");
    EXPECT_EQ(form->ClientWidth(), 400);
    EXPECT_EQ(form->ClientHeight(), 300);
    ASSERT_NE(form->Button2, nullptr);
    EXPECT_EQ(form->Button2->Tag, 2);
    EXPECT_EQ(form->Button2->Parent(), form->Panel1);
    EXPECT_EQ(form->Memo1->Parent(), form);
    EXPECT_EQ(form->FindComponent(L"memo1"), form->Memo1);
    EXPECT_EQ(form->FindComponent(L"Nothing"), nullptr);
    EXPECT_EQ(form->Memo1->ScrollBars(), ssBoth);
    // Children without a font of their own take their parent's.
    EXPECT_EQ(form->Button1->Font->Height(), -13);
    EXPECT_TRUE(form->Button1->ParentFont());
    EXPECT_FALSE(form->Memo1->ParentFont() && form->Memo1->Font->Name().ToUtf8() != "Tahoma");
    wchar_t className[64];
    GetClassNameW(form->Handle(), className, 64);
    EXPECT_STREQ(className, L"TTestForm");
    GetClassNameW(form->Memo1->Handle(), className, 64);
    EXPECT_STREQ(className, L"TMemo");
    delete form;
}

TEST(FormDefinition, OnCreateFiresOnceAfterEverythingIsLoaded)
{
    struct TCreatingForm : TTestForm {
        using TTestForm::TTestForm;
        int Created = 0;
        bool MemoReady = false;
        void FormCreate(TObject*)
        {
            ++Created;
            MemoReady = Memo1 && Memo1->HandleAllocated() && Label1->Caption().ToUtf8() == "Label1";
        }
        void DeclareBindings(FormBindings& bindings) override
        {
            TTestForm::DeclareBindings(bindings);
            bindings.Handler("FormCreate", this, &TCreatingForm::FormCreate);
        }
    };
    auto* form = new TCreatingForm(Application);
    // OnCreate stands before the components in the text.
    form->LoadFromDefinition(Replace(TestFormDefinition, "  Caption = \"Platform test\"\n",
                                     "  OnCreate = FormCreate\n  Caption = \"Platform test\"\n"),
                             "test form");
    EXPECT_EQ(form->Created, 1);
    EXPECT_TRUE(form->MemoReady);
    delete form;
}

// Each fault in a definition: the text that shows it, the line it is
// reported on (the line holding `at`), and what the message says.
struct BadDefinition {
    const char* Fault;
    std::string Text;
    std::string At;
    const char* Says;
};

std::vector<BadDefinition> BadDefinitions()
{
    const std::string good = TestFormDefinition;
    return {
        {"unknown class", Replace(good, "Label1: TLabel", "Label1: TLabell"), "Label1: TLabell", "unknown class TLabell"},
        {"unknown property", Replace(good, "BevelOuter = bvNone", "BevelOutside = bvNone"), "BevelOutside",
         "TPanel has no property BevelOutside"},
        {"property of another class", Replace(good, "      Caption = \"Label1\"", "      ScrollBars = ssBoth"),
         "      ScrollBars = ssBoth", "TLabel has no property ScrollBars"},
        {"unknown field", Replace(good, "Button2: TSpeedButton", "Button3: TSpeedButton"), "Button3",
         "the form has no field Button3"},
        {"field of another class", Replace(good, "Label1: TLabel", "Label1: TPanel"), "Label1: TPanel",
         "the field Label1 does not take a TPanel"},
        {"unknown handler", Replace(good, "OnClick = ButtonClick\n    end\n    object Button2",
                                    "OnClick = ButtonKlick\n    end\n    object Button2"),
         "ButtonKlick", "the form has no handler ButtonKlick"},
        {"wrong kind of value", Replace(good, "Tag = 1", "Tag = \"one\""), "Tag = \"one\"", "Tag takes a number"},
        {"unknown enumeration value", Replace(good, "Align = alTop", "Align = alTopp"), "alTopp",
         "\"alTopp\" is not a value of Align"},
        {"bad boolean", Replace(good, "ClientWidth = 400", "Scaled = Yes"), "Scaled = Yes", "Scaled takes True or False"},
        {"bad font style", Replace(good, "Font.Height = -13", "Font.Style = [fsBold, fsShiny]"), "fsShiny",
         "\"fsShiny\" is not a font style"},
        {"number out of range", Replace(good, "Top = 4", "Top = 2147483648"), "2147483648", "out of range"},
        {"not a number", Replace(good, "Top = 4", "Top = 4x"), "Top = 4x", "expected digits"},
        {"unterminated string", Replace(good, "\"One\"", "\"One"), "\"One", "does not end on its line"},
        {"unknown escape", Replace(good, "\"One\"", "\"O\\ne\""), "O\\ne", "unknown escape"},
        {"control character in a string", Replace(good, "\"One\"", "\"O\x01ne\""), "O\x01ne", "control character"},
        {"invalid UTF-8", Replace(good, "\"One\"", "\"O\xC3ne\""), "O\xC3ne", "not valid UTF-8"},
        {"property set twice", Replace(good, "Top = 4\n", "Top = 4\n      Top = 5\n"), "Top = 5", "Top is set twice"},
        {"missing equals sign", Replace(good, "Top = 4", "Top 4"), "Top 4", "expected \"=\""},
        {"missing value", Replace(good, "Top = 4", "Top ="), "Top =\n", "expected a value"},
        {"two statements on a line", Replace(good, "Top = 4", "Top = 4 Left = 3"), "Top = 4 Left", "end of the line"},
        {"missing end", Replace(good, "    TabOrder = 1\n  end\nend\n", "    TabOrder = 1\n  end\n"),
         "object TestForm", "\"end\" missing for object TestForm"},
        {"text after the end", good + "object Extra: TPanel\n", "object Extra", "after the last \"end\""},
        {"empty definition", "// nothing\n", "// nothing", "the definition is empty"},
        {"definition of another form", Replace(good, "TestForm: TTestForm", "TestForm: TOtherForm"),
         "TOtherForm", "the definition is of TOtherForm, the form of TTestForm"},
        {"duplicate name", Replace(good, "Button2: TSpeedButton", "Button1: TSpeedButton"), "Button1: TSpeedButton\n      Tag = 2",
         "a second component named Button1"},
        {"control inside a label", Replace(good, "      Caption = \"Label1\"\n",
                                           "      Caption = \"Label1\"\n      object Inner: TPanel\n      end\n"),
         "object Inner", "TLabel cannot hold other controls"},
        {"unsupported create order", Replace(good, "ClientWidth = 400", "OldCreateOrder = True"), "OldCreateOrder",
         "not supported"},
    };
}

TEST(FormDefinition, ReportsEachFaultWithItsLine)
{
    for (const BadDefinition& bad : BadDefinitions()) {
        SCOPED_TRACE(bad.Fault);
        try {
            delete LoadTestForm(bad.Text);
            ADD_FAILURE() << "loaded";
        } catch (const EFormDefinitionError& error) {
            const std::string message = error.Message().ToUtf8();
            const int line = LineOf(bad.Text, bad.At);
            EXPECT_EQ(error.Line(), line) << message;
            EXPECT_NE(message.find("test form, line " + std::to_string(line) + ": "), std::string::npos) << message;
            EXPECT_NE(message.find(bad.Says), std::string::npos) << message;
        }
    }
}

TEST(FormDefinition, ReportsAFieldLeftWithoutItsComponent)
{
    const std::string text = Replace(TestFormDefinition,
                                     "    object Label1: TLabel\n      Left = 300\n      Top = 6\n      Width = 40\n      "
                                     "Height = 16\n      Alignment = taRightJustify\n      Caption = \"Label1\"\n    end\n",
                                     "");
    try {
        delete LoadTestForm(text);
        ADD_FAILURE() << "loaded";
    } catch (const EFormDefinitionError& error) {
        EXPECT_EQ(error.Message().ToUtf8(), "test form, line 2: no component for the field Label1");
    }
}

// Fails in OnCreate, when every window and font exists.
struct TFailingForm : TTestForm {
    using TTestForm::TTestForm;
    void FormCreate(TObject*)
    {
        Memo1->Lines->Add(L"half done");
        throw Exception(L"OnCreate failed");
    }
    void DeclareBindings(FormBindings& bindings) override
    {
        TTestForm::DeclareBindings(bindings);
        bindings.Handler("FormCreate", this, &TFailingForm::FormCreate);
    }
};

TEST(FormDefinition, AFailedLoadLeavesNoWindowBehind)
{
    delete LoadTestForm();  // window classes and caches are made once
    const auto before = qelt_test::CountGuiObjects();
    EXPECT_THROW(delete LoadTestForm(Replace(TestFormDefinition, "TabOrder = 1", "TabOrder = one")),
                 EFormDefinitionError);
    EXPECT_EQ(qelt_test::CountGuiObjects(), before);

    auto* failing = new TFailingForm(Application);
    EXPECT_THROW(failing->LoadFromDefinition(Replace(TestFormDefinition, "  Caption = \"Platform test\"\n",
                                                     "  OnCreate = FormCreate\n"),
                                             "test form"),
                 Exception);
    EXPECT_TRUE(failing->Memo1->HandleAllocated());
    delete failing;
    EXPECT_EQ(qelt_test::CountGuiObjects(), before);
}

TEST(FormDefinition, ReadsNestingAndValuesDirectly)
{
    const FormObject root = ReadFormDefinition("\xEF\xBB\xBFobject A: TA // header\r\n"
                                               "  Big = -2147483648\r\n"
                                               "  Text = \"say \\\"hi\\\" \\\\ \xE6\x97\xA5\"\r\n"
                                               "  Empty = []\r\n"
                                               "  object B: TB\r\n"
                                               "    Set = [x, y ,z]\r\n"
                                               "  end\r\n"
                                               "end",
                                               "direct");
    EXPECT_EQ(root.Name, "A");
    ASSERT_EQ(root.Properties.size(), 3u);
    EXPECT_EQ(root.Properties[0].Value.Integer, -2147483647 - 1);
    EXPECT_EQ(root.Properties[1].Value.Text.ToUtf8(), "say \"hi\" \\ \xE6\x97\xA5");
    EXPECT_TRUE(root.Properties[2].Value.Members.empty());
    ASSERT_EQ(root.Children.size(), 1u);
    EXPECT_EQ(root.Children[0].Line, 5);
    EXPECT_EQ(root.Children[0].Properties[0].Value.Members, (std::vector<std::string>{"x", "y", "z"}));

    std::string deep;
    for (int i = 0; i < 40; ++i)
        deep += "object O" + std::to_string(i) + ": T\n";
    for (int i = 0; i < 40; ++i)
        deep += "end\n";
    EXPECT_THROW(ReadFormDefinition(deep, "deep"), EFormDefinitionError);
}

}  // namespace
