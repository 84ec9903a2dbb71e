// Contact cards and address-book people: what the import files under which key, what the export
// writes back, and that importing an exported card gives the same field dictionary again.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "messaging/model/v_card.h"
#include "platform/device/multi_value.h"
#include "platform/device/person.h"
#include "platform/foundation/testing/log_capture.h"

namespace zelvan {
namespace {

using Labelled = std::vector<std::pair<std::string, std::string>>;

struct PersonSpec {
    fnd::Value first, last;
    Labelled phones, urls, emails;
    std::optional<fnd::Date> birthday;
};

std::shared_ptr<device::Person> makePerson(const PersonSpec& spec) {
    auto person = device::Person::create();
    person->setValue(device::Property::FirstName, spec.first);
    person->setValue(device::Property::LastName, spec.last);
    const std::pair<device::Property, const Labelled*> lists[] = {{device::Property::Phone, &spec.phones},
                                                                  {device::Property::URL, &spec.urls},
                                                                  {device::Property::Email, &spec.emails}};
    for (const auto& [property, items] : lists) {
        auto values = device::MultiValue::create();
        for (const auto& [value, label] : *items) {
            values->addValueAndLabel(value, label);
        }
        person->setValue(property, values);
    }
    if (spec.birthday) {
        person->setValue(device::Property::Birthday, *spec.birthday);
    }
    return person;
}

std::vector<std::pair<std::string, std::string>> entries(const device::Person& person, device::Property property) {
    std::vector<std::pair<std::string, std::string>> out;
    if (auto list = person.copyValue(property).asObject<device::MultiValue>()) {
        for (int i = 0; i < list->count(); ++i) {
            out.emplace_back(list->valueAtIndex(i).stringValue(), list->labelAtIndex(i));
        }
    }
    return out;
}

TEST(CardAddressBookTest, ImportFilesFieldsAndSurvivesExportAndImport) {
    const std::string kMobile(device::kLabelMobile);
    const std::string kMain(device::kLabelMain);
    const std::string kWorkFax(device::kLabelWorkFax);
    struct Case {
        const char* what;
        PersonSpec person;
        fnd::Value ui;
    };
    const Case cases[] = {
        {"latin names swap into key 1 and key 0",
         {"Anna", "Berg", {}, {}, {}, {}},
         fnd::Value::dictionary({{-1, 0}, {1, "Anna"}, {0, "Berg"}})},
        {"a first name above U+00FF keeps its place",
         {"王", "小明", {}, {}, {}, {}},
         fnd::Value::dictionary({{-1, 0}, {0, "王"}, {1, "小明"}})},
        {"a last name above U+00FF keeps the order too",
         {"Li", "Łódź", {}, {}, {}, {}},
         fnd::Value::dictionary({{-1, 0}, {0, "Li"}, {1, "Łódź"}})},
        {"a last name above U+00FF only",
         {fnd::Value(), "Ωmega", {}, {}, {}, {}},
         fnd::Value::dictionary({{-1, 0}, {1, "Ωmega"}})},
        {"phones: clean-up, two mobiles, labels missing, punctuation only",
         {"A",
          fnd::Value(),
          {{"+1 (555) 123-45", kMobile}, {"0 7", kMobile}, {"12", ""}, {"( ) -", kMain}, {"9", "pager"}},
          {},
          {},
          {}},
         fnd::Value::dictionary({{-1, 0}, {1, "A"}, {7, "+155512345"}, {9, "07"}, {8, "12"}, {6, "9"}})},
        {"seven phones: the seventh is dropped",
         {"B", fnd::Value(), {{"1", ""}, {"2", ""}, {"3", ""}, {"4", ""}, {"5", ""}, {"6", ""}, {"7", ""}}, {}, {}, {}},
         fnd::Value::dictionary({{-1, 0}, {1, "B"}, {9, "1"}, {8, "2"}, {7, "3"}, {6, "4"}, {5, "5"}, {4, "6"}})},
        {"a clash with a taken key falls back from 9 down",
         {"C", fnd::Value(), {{"1", kWorkFax}, {"2", kWorkFax}, {"3", kMain}}, {}, {}, {}},
         fnd::Value::dictionary({{-1, 0}, {1, "C"}, {6, "1"}, {9, "2"}, {4, "3"}})},
        {"URLs and e-mails take three keys each; birthday in milliseconds",
         {fnd::Value(),
          fnd::Value(),
          {},
          {{"a.example", "x"}, {"b.example", ""}, {"c.example", "y"}, {"d.example", "z"}},
          {{"p@q", "work"}, {"r@s", ""}, {"t@u", "home"}, {"v@w", "other"}},
          fnd::Date::fromUnix(86400.5)},
         fnd::Value::dictionary({{-1, 0},
                                 {16, "a.example"},
                                 {17, "b.example"},
                                 {18, "c.example"},
                                 {13, "p@q"},
                                 {14, "r@s"},
                                 {15, "t@u"},
                                 {19, int64_t{86400500}}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto card = vCard::initWithPerson(*makePerson(c.person));
        ASSERT_TRUE(card->ui());
        EXPECT_EQ(fnd::Value(card->ui()), c.ui) << fnd::Value(card->ui()).description();
        EXPECT_EQ(card->type(), 0);

        auto exported = device::Person::create();
        card->save(exported);
        auto again = vCard::initWithPerson(*exported);
        EXPECT_EQ(fnd::Value(again->ui()), c.ui) << fnd::Value(again->ui()).description();
        EXPECT_TRUE(again->isEqualTovCard(*card));
    }
}

TEST(CardAddressBookTest, ExportWritesNamesLabelsAndReplacesOldValues) {
    auto card = vCard::initWithPerson(*makePerson({"Anna",
                                                   "Berg",
                                                   {{"1", "mobile"}, {"2", "mobile"}, {"3", "main"}},
                                                   {{"a.example", "x"}},
                                                   {{"p@q", "x"}, {"r@s", "y"}},
                                                   fnd::Date::fromUnix(-86400)}));
    auto person = makePerson({"Old", "Name", {{"999", "home"}}, {{"old.example", ""}}, {}, {}});
    person->setValue(device::Property::Note, "old note");
    card->save(person);

    EXPECT_EQ(person->copyValue(device::Property::FirstName), fnd::Value("Anna"));
    EXPECT_EQ(person->copyValue(device::Property::LastName), fnd::Value("Berg"));
    EXPECT_TRUE(person->copyValue(device::Property::Note).isNull());
    EXPECT_EQ(person->copyValue(device::Property::Birthday), fnd::Value(fnd::Date::fromUnix(-86400)));
    using E = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(entries(*person, device::Property::Phone), (E{{"3", "main"}, {"1", "mobile"}, {"2", "mobile"}}));
    EXPECT_EQ(entries(*person, device::Property::URL), (E{{"a.example", std::string(device::kLabelHomePage)}}));
    EXPECT_EQ(entries(*person, device::Property::Email), (E{{"p@q", "home"}, {"r@s", "work"}}));

    // Without a mobile number the other numbers go out as "other", so they read back where they were.
    auto others = vCard::initWithPerson(*makePerson({"X", fnd::Value(), {{"5", ""}, {"6", ""}}, {}, {}, {}}));
    others->save(person);
    EXPECT_EQ(entries(*person, device::Property::Phone), (E{{"5", "other"}, {"6", "other"}}));
    EXPECT_EQ(entries(*person, device::Property::URL), E{});

    fnd::testing::LogCapture log;
    card->save(nullptr);
    EXPECT_TRUE(log.contains("invalid argument for vCard::save!"));
}

} // namespace
} // namespace zelvan
