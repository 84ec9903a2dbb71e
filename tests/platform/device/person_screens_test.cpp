// The contact screens as a person uses them: the new-contact form saves the person before its
// delegate hears (or reports null on cancel); the contact screen asks its delegate about tapped
// values and saves what Edit ... Done changed.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/device/address_book_store.h"
#include "platform/device/testing/person_editor_driver.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/ui/application.h"
#include "platform/ui/controller_transition.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/table_view.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"

namespace device {
namespace {

using testing::PersonEditorDriver;

// The messenger's side: records what it hears and dismisses the new-contact screen.
class Caller : public NewPersonViewControllerDelegate, public PersonViewControllerDelegate {
public:
    explicit Caller(std::shared_ptr<ui::ViewController> presenter) : presenter_(std::move(presenter)) {}

    void newPersonViewControllerDidCompleteWithNewPerson(NewPersonViewController&,
                                                         const std::shared_ptr<Person>& person) override {
        completed.push_back(person);
        // What the caller sees at this moment: is the person already stored?
        storedWhenHeard = person && AddressBook::create()->personWithRecordID(person->recordID()) != nullptr;
        presenter_->dismissModalViewControllerAnimated(ui::Animated::Yes);
    }
    bool personViewControllerShouldPerformDefaultActionForPerson(PersonViewController&,
                                                                 const std::shared_ptr<Person>& person,
                                                                 Property property,
                                                                 MultiValueIdentifier identifier) override {
        asked.push_back(propertyName(property) + " " + std::to_string(identifier));
        askedAbout = person;
        return property != Property::Phone; // the messenger dials in-app, so only e-mail goes out
    }

    std::vector<std::shared_ptr<Person>> completed;
    bool storedWhenHeard = false;
    std::vector<std::string> asked;
    std::shared_ptr<Person> askedAbout;

private:
    std::shared_ptr<ui::ViewController> presenter_;
};

class PersonScreensTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::remove(AddressBookStore::path());
        clock_ = fnd::ManualClock::install();
        window_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
        root_ = std::make_shared<ui::ViewController>();
        window_->setRootViewController(root_);
        caller_ = std::make_shared<Caller>(root_);
        ui::Application::shared().clearOpenedUrls();
    }
    void TearDown() override {
        ui::testing::TouchDriver::reset();
        window_->setRootViewController(nullptr);
        window_->setHidden(true);
        fnd::RunLoop::main().runUntilIdle();
        fnd::Clock::install(nullptr);
    }
    void present(std::shared_ptr<ui::ViewController> vc) {
        root_->presentModalViewController(ui::NavigationController::initWithRootViewController(std::move(vc)),
                                          ui::Animated::Yes);
        settle();
    }
    static void settle() { fnd::RunLoop::main().advance(ui::ControllerTransition::kDuration + 0.5); }
    static std::shared_ptr<MultiValue> list(const std::shared_ptr<Person>& p, Property property) {
        auto mv = p->copyValue(property).asObject<MultiValue>();
        return mv ? mv : MultiValue::create();
    }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<ui::Window> window_;
    std::shared_ptr<ui::ViewController> root_;
    std::shared_ptr<Caller> caller_;
};

TEST_F(PersonScreensTest, NewPersonIsSavedBeforeTheDelegateHearsAndCancelReportsNull) {
    auto book = AddressBook::create();
    auto draft = Person::create();
    draft->setValue(Property::LastName, fnd::Value("Lovelace"));
    draft->setValue(Property::Organization, fnd::Value("Analytical Engines"));
    auto screen = std::make_shared<NewPersonViewController>();
    screen->setAddressBook(book);
    screen->setDisplayedPerson(draft);
    screen->setNewPersonViewDelegate(caller_);
    present(screen);

    // A grouped table: names, phones (one blank row), e-mails (one blank row).
    auto table = std::dynamic_pointer_cast<ui::TableView>(screen->view());
    ASSERT_TRUE(table);
    EXPECT_EQ(table->style(), ui::TableViewStyle::Grouped);
    ASSERT_EQ(table->numberOfSections(), 3);
    EXPECT_EQ(table->numberOfRowsInSection(0), 2);
    EXPECT_EQ(table->numberOfRowsInSection(1), 1);
    EXPECT_EQ(screen->form().rowAt({0, 1})->field->text(), "Lovelace");

    PersonEditorDriver driver(screen);
    ASSERT_TRUE(driver.fill(Property::FirstName, "Ada"));
    ASSERT_TRUE(driver.fill(Property::Phone, "+44 20 7946 0000", std::string(kLabelWork)));
    ASSERT_TRUE(driver.fill(Property::Phone, "07700 900000"));
    ASSERT_TRUE(driver.fill(Property::Email, "ada@example.org", "Büro"));
    EXPECT_EQ(table->numberOfRowsInSection(1), 3); // each filled row opened another blank one
    EXPECT_FALSE(driver.edit());                   // no Edit button here
    ASSERT_TRUE(driver.save());

    ASSERT_EQ(caller_->completed.size(), 1u);
    ASSERT_EQ(caller_->completed[0], draft);
    EXPECT_TRUE(caller_->storedWhenHeard);
    EXPECT_EQ(draft->recordID(), 1);
    EXPECT_FALSE(book->hasUnsavedChanges());
    settle();
    EXPECT_EQ(root_->modalViewController(), nullptr);

    auto stored = AddressBook::create()->personWithRecordID(1);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->copyValue(Property::FirstName).stringValue(), "Ada");
    EXPECT_EQ(stored->copyValue(Property::LastName).stringValue(), "Lovelace");
    EXPECT_EQ(stored->copyValue(Property::Organization).stringValue(), "Analytical Engines");
    const auto phones = list(stored, Property::Phone);
    ASSERT_EQ(phones->count(), 2);
    EXPECT_EQ(phones->labelAtIndex(0), kLabelWork);
    EXPECT_EQ(phones->valueAtIndex(0).stringValue(), "+44 20 7946 0000");
    EXPECT_EQ(phones->labelAtIndex(1), kLabelMobile);
    const auto emails = list(stored, Property::Email);
    ASSERT_EQ(emails->count(), 1);
    EXPECT_EQ(emails->labelAtIndex(0), "Büro");

    // Cancel: the delegate hears null and nothing is stored.
    auto second = std::make_shared<NewPersonViewController>();
    second->setAddressBook(book);
    second->setNewPersonViewDelegate(caller_);
    present(second);
    PersonEditorDriver again(second);
    ASSERT_TRUE(again.fill(Property::FirstName, "Nobody"));
    ASSERT_TRUE(again.cancel());
    ASSERT_EQ(caller_->completed.size(), 2u);
    EXPECT_EQ(caller_->completed[1], nullptr);
    EXPECT_EQ(AddressBook::create()->personCount(), 1);
}

TEST_F(PersonScreensTest, PersonScreenAsksAboutTappedValuesAndSavesEdits) {
    auto book = AddressBook::create();
    {
        auto p = Person::create();
        p->setValue(Property::FirstName, fnd::Value("Grace"));
        auto phones = MultiValue::create();
        phones->addValueAndLabel(fnd::Value("+1 (555) 010-0000"), std::string(kLabelMain));
        phones->addValueAndLabel(fnd::Value("+1 555 0199"), std::string(kLabelPager));
        p->setValue(Property::Phone, fnd::Value(phones));
        auto emails = MultiValue::create();
        emails->addValueAndLabel(fnd::Value("grace@navy.example"), "work");
        p->setValue(Property::Email, fnd::Value(emails));
        p->setValue(Property::Note, fnd::Value("compilers"));
        book->addRecord(p);
        ASSERT_TRUE(book->save().ok());
    }
    auto person = book->personWithRecordID(1);
    auto screen = std::make_shared<PersonViewController>();
    screen->setDisplayedPerson(person);
    screen->setAddressBook(book);
    screen->setAllowsEditing(true);
    screen->setPersonViewDelegate(caller_);
    present(screen);
    PersonEditorDriver driver(screen);

    ASSERT_TRUE(driver.tapProperty(Property::Phone, 1));
    ASSERT_TRUE(driver.tapProperty(Property::Email, 0));
    EXPECT_EQ(caller_->asked, (std::vector<std::string>{"phone 1", "email 0"}));
    EXPECT_EQ(caller_->askedAbout, person);
    EXPECT_EQ(ui::Application::shared().openedUrls(), (std::vector<std::string>{"mailto:grace@navy.example"}));
    EXPECT_FALSE(driver.fill(Property::FirstName, "x")); // values are not fields until Edit

    ASSERT_TRUE(driver.edit());
    EXPECT_TRUE(screen->isEditingPerson());
    ASSERT_TRUE(driver.fill(Property::LastName, "Hopper"));
    ASSERT_TRUE(driver.edit(Property::Phone, 0, "+1 555 0100"));
    ASSERT_TRUE(driver.edit(Property::Phone, 1, "")); // deleted
    ASSERT_TRUE(driver.fill(Property::Phone, "+1 555 0142", std::string(kLabelHomeFax)));
    ASSERT_TRUE(driver.save());
    EXPECT_FALSE(screen->isEditingPerson());
    EXPECT_FALSE(book->hasUnsavedChanges());

    auto stored = AddressBook::create()->personWithRecordID(1);
    EXPECT_EQ(stored->copyValue(Property::LastName).stringValue(), "Hopper");
    EXPECT_EQ(stored->copyValue(Property::Note).stringValue(), "compilers");
    const auto phones = list(stored, Property::Phone);
    ASSERT_EQ(phones->count(), 2);
    EXPECT_EQ(phones->identifierAtIndex(0), 0);
    EXPECT_EQ(phones->valueAtIndex(0).stringValue(), "+1 555 0100");
    EXPECT_EQ(phones->labelAtIndex(0), kLabelMain);
    EXPECT_EQ(phones->identifierAtIndex(1), 2); // the removed entry's identifier is not reused
    EXPECT_EQ(phones->labelAtIndex(1), kLabelHomeFax);

    // Edit then Cancel changes nothing.
    ASSERT_TRUE(driver.edit());
    ASSERT_TRUE(driver.fill(Property::FirstName, "Amazing Grace"));
    ASSERT_TRUE(driver.cancel());
    EXPECT_EQ(person->copyValue(Property::FirstName).stringValue(), "Grace");
    EXPECT_FALSE(book->hasUnsavedChanges());
}

} // namespace
} // namespace device
