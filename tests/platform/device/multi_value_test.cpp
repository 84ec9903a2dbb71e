// Multi-values: labels kept as given, identifiers that stay with their values, refusals of bad
// input, and the copy a person hands out.
#include <gtest/gtest.h>

#include "platform/device/multi_value.h"
#include "platform/device/person.h"

namespace device {
namespace {

TEST(MultiValueTest, LabelsIdentifiersAndCopies) {
    auto mv = MultiValue::create(PropertyType::MultiString);
    EXPECT_EQ(mv->addValueAndLabel(fnd::Value("a@x"), std::string(kLabelHome)), 0);
    EXPECT_EQ(mv->addValueAndLabel(fnd::Value("b@x"), "work"), 1);
    EXPECT_EQ(mv->addValueAndLabel(fnd::Value("c@x"), "mein Büro"), 2);
    EXPECT_EQ(mv->addValueAndLabel(fnd::Value(5), "bad"), kMultiValueInvalidIdentifier);
    ASSERT_TRUE(mv->removeValueAndLabelAtIndex(0));
    EXPECT_EQ(mv->count(), 2);
    EXPECT_EQ(mv->indexForIdentifier(2), 1);
    EXPECT_EQ(mv->indexForIdentifier(0), -1);
    EXPECT_EQ(mv->labelAtIndex(1), "mein Büro");
    ASSERT_TRUE(mv->replaceValueAtIndex(fnd::Value("b2@x"), 0));
    EXPECT_EQ(mv->identifierAtIndex(0), 1);
    EXPECT_EQ(mv->valueAtIndex(0).stringValue(), "b2@x");
    EXPECT_FALSE(mv->replaceValueAtIndex(fnd::Value("z"), 5));
    EXPECT_FALSE(mv->removeValueAndLabelAtIndex(-1));
    EXPECT_TRUE(mv->valueAtIndex(9).isNull());
    EXPECT_EQ(mv->identifierAtIndex(9), kMultiValueInvalidIdentifier);
    EXPECT_EQ(mv->addValueAndLabel(fnd::Value("d@x"), ""), 3);

    // A person keeps its own copy: changing the list afterwards, or the copy read back, changes
    // nothing until it is written again.
    auto person = Person::create();
    ASSERT_TRUE(person->setValue(Property::Email, fnd::Value(mv)));
    mv->removeValueAndLabelAtIndex(0);
    auto read = person->copyValue(Property::Email).asObject<MultiValue>();
    ASSERT_TRUE(read);
    EXPECT_EQ(read->count(), 3);
    read->replaceValueAtIndex(fnd::Value("changed"), 0);
    EXPECT_EQ(person->copyValue(Property::Email).asObject<MultiValue>()->valueAtIndex(0).stringValue(), "b2@x");
    ASSERT_TRUE(person->setValue(Property::Email, fnd::Value(read)));
    EXPECT_EQ(person->copyValue(Property::Email).asObject<MultiValue>()->valueAtIndex(0).stringValue(), "changed");
}

} // namespace
} // namespace device
