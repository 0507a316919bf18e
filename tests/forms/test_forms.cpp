// The form framework: streaming base and derived resources, binding handlers by name, the event
// semantics of radios, check boxes and combo boxes, the guard, focus and enabled flags.
#include "TestForms.h"

#include "forms/TApplication.h"
#include "support/TestEnv.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

class FormsTest : public ::testing::Test {
protected:
    void SetUp() override { TestEnv::reset(); }
    void TearDown() override {
        for (TForm* f : TApplication::instance().forms()) {
            if (QMdiSubWindow* sub = f->subWindow())
                delete sub;
            else
                delete f;
        }
    }
    template <class T> T* create() {
        T* form = nullptr;
        TApplication::instance().CreateForm(form);
        return form;
    }
};

TEST_F(FormsTest, DerivedHandlerHooksTheBaseOneByName) {
    auto* f = create<TTestDerived>();
    EXPECT_EQ(f->calls, (QStringList{"base.FormCreate", "derived.FormCreate"}));
    EXPECT_EQ(f->Caption(), "Derivada"); // the derived resource changed the base's caption
    ASSERT_NE(f->rbtA, nullptr);         // base fields assigned
    ASSERT_NE(f->cbbY, nullptr);         // derived fields assigned
    EXPECT_EQ(f->cbbY->Items().size(), 3);
    EXPECT_EQ(f->rbtA->handlerName("OnClick"), "rbtAClick");
    EXPECT_EQ(f->rbtB->handlerName("OnKeyDown"), "rbtBKeyDown");
}

struct BrokenResource {
    const char* name;
    std::function<void()> create;
    QStringList mustMention;
};

class BrokenResourceTest : public FormsTest, public ::testing::WithParamInterface<BrokenResource> {};

TEST_P(BrokenResourceTest, FailsAtCreationNamingResourceAndItem) {
    try {
        GetParam().create();
        FAIL() << "creation should fail";
    } catch (const EHostError& e) {
        for (const QString& word : GetParam().mustMention)
            EXPECT_TRUE(e.message().contains(word)) << e.what();
    }
    EXPECT_TRUE(TApplication::instance().forms().isEmpty()); // nothing left half-created
}

template <class T> std::function<void()> creator() {
    return [] {
        T* f = nullptr;
        TApplication::instance().CreateForm(f);
    };
}

INSTANTIATE_TEST_SUITE_P(
    Forms, BrokenResourceTest,
    ::testing::Values(
        BrokenResource{"handler", creator<TBadHandler>(), {"TBadHandler.json", "rbtZ", "rbtZClick"}},
        BrokenResource{
            "signature", creator<TBadSignature>(), {"TBadSignature.json", "Wrong", "QObject*, int"}},
        BrokenResource{"class", creator<TBadClass>(), {"TBadClass.json", "xyzZ", "TNoSuchThing"}},
        BrokenResource{"property", creator<TBadProperty>(), {"TBadProperty.json", "lblZ", "Colour"}},
        BrokenResource{"field", creator<TBadField>(), {"TBadField.json", "grbMissing"}},
        BrokenResource{"twice", creator<TBadTwice>(), {"TBadTwice.json", "lblZ", "twice"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FormsTest, RadioCheckedFromCodeRaisesClickOnceOnChangeEvenWhenDisabled) {
    auto* f = create<TTestDerived>();
    f->calls.clear();
    f->grbGrupo->SetEnabled(false);
    f->rbtB->SetEnabled(false);
    f->rbtB->SetChecked(true);
    EXPECT_EQ(f->calls, QStringList{"rbtBClick"});
    EXPECT_FALSE(f->rbtA->Checked()); // siblings unchecked
    f->rbtB->SetChecked(true);        // already checked: nothing
    EXPECT_EQ(f->calls, QStringList{"rbtBClick"});
}

TEST_F(FormsTest, UserClickRaisesOnlyOnTheChangeToChecked) {
    auto* f = create<TTestDerived>();
    f->Show();
    f->calls.clear();
    QTest::mouseClick(f->rbtB, Qt::LeftButton);
    EXPECT_EQ(f->calls, QStringList{"rbtBClick"});
    QTest::mouseClick(f->rbtB, Qt::LeftButton); // clicking the checked radio
    EXPECT_EQ(f->calls, QStringList{"rbtBClick"});
}

TEST_F(FormsTest, CheckBoxAndComboFromCodeRaiseNothing) {
    auto* f = create<TTestDerived>();
    f->Show();
    f->calls.clear();
    f->chbX->SetChecked(false);
    f->cbbY->SetItemIndex(2);
    EXPECT_TRUE(f->calls.isEmpty());
    EXPECT_EQ(f->cbbY->ItemIndex(), 2);
    // A user's pick does raise the change event.
    f->cbbY->setFocus();
    QTest::keyClick(f->cbbY, Qt::Key_Up);
    EXPECT_EQ(f->calls, QStringList{"cbbYChange"});
}

TEST_F(FormsTest, AbortFromUserEventIsSilentAndEndsTheHandler) {
    auto* f = create<TTestDerived>();
    f->Show();
    f->rbtB->SetChecked(true);
    f->calls.clear();
    f->abortInA = true;
    QTest::mouseClick(f->rbtA, Qt::LeftButton);
    EXPECT_EQ(f->calls, QStringList{"rbtAClick"}); // the rest of the handler did not run
    EXPECT_TRUE(TestEnv::dialogs().shown.empty()); // silent
    EXPECT_TRUE(f->isVisible());                   // the form stays open
}

TEST_F(FormsTest, AbortFromEventRaisedInCodeReachesTheCaller) {
    auto* f = create<TTestDerived>();
    f->rbtB->SetChecked(true);
    f->abortInA = true;
    EXPECT_THROW(f->rbtA->SetChecked(true), EAbort);
}

TEST_F(FormsTest, KeyDownGetsHostKeyCodeAndShiftState) {
    auto* f = create<TTestDerived>();
    f->Show();
    f->rbtB->setFocus();
    QTest::keyClick(f->rbtB, Qt::Key_F9, Qt::ControlModifier);
    EXPECT_EQ(f->lastKey, HostKey::F9);
    EXPECT_TRUE(f->calls.contains("key 120+ctrl"));
}

TEST_F(FormsTest, EnabledFlagsOfGroupAndControlAreSeparate) {
    auto* f = create<TTestDerived>();
    f->grbGrupo->SetEnabled(false);
    EXPECT_TRUE(f->rbtA->Enabled()); // its own flag is untouched
    EXPECT_FALSE(f->rbtA->isEnabled());
    f->rbtA->SetEnabled(false);
    f->grbGrupo->SetEnabled(true);
    EXPECT_FALSE(f->rbtA->Enabled());
    EXPECT_TRUE(f->rbtB->isEnabled());
}

TEST_F(FormsTest, FocusOnAControlThatCannotTakeItStaysWhereItWas) {
    auto* f = create<TTestDerived>();
    f->Show();
    f->rbtB->SetFocus();
    EXPECT_EQ(f->ActiveControl(), f->rbtB);
    f->grbGrupo->SetEnabled(false);
    f->rbtA->SetFocus();
    EXPECT_EQ(f->ActiveControl(), f->rbtB);
}

TEST_F(FormsTest, ErrorsOfUserEventsAreShownNotThrown) {
    bool failed = false;
    TApplication::guard([] { throw EHostError("Falhou a conexão."); }, &failed);
    EXPECT_TRUE(failed);
    EXPECT_EQ(TestEnv::dialogs().errors(), QStringList{"Falhou a conexão."});
}

} // namespace
