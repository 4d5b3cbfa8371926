// The one step registry: every step of the valuation model is listed once, in the model's
// order, under a kind of its own; entries that are not steps are not found.
#include "app/StepRegistry.h"

#include <gtest/gtest.h>

#include <set>

TEST(StepRegistryTest, ListsEveryModelStepOnceInOrderWithItsCaption) {
    const std::vector<StepRegistration>& registry = StepRegistry();
    ASSERT_EQ(registry.size(), valuation::Steps().size());
    std::set<int> kinds;
    for (size_t i = 0; i < registry.size(); ++i) {
        const StepRegistration& step = registry[i];
        EXPECT_EQ(step.step, valuation::Steps()[i]) << i;
        EXPECT_TRUE(kinds.insert(step.kind).second) << "kind " << step.kind << " twice";
        EXPECT_NE(step.open, nullptr) << i;
        EXPECT_EQ(FindStep(step.kind), &step);
    }
    const std::vector<ListEntry> entries = StepListEntries();
    ASSERT_EQ(entries.size(), registry.size());
    EXPECT_EQ(entries[6].caption, QStringLiteral("Функціональне використання"));
    EXPECT_EQ(entries[6].kind, KindStepFunctional);
    EXPECT_EQ(entries[10].caption, valuation::StepCaption(valuation::Step::Plots));
}

TEST(StepRegistryTest, EntriesThatAreNotStepsAreNotFound) {
    // Export and the folder lie between the step kinds; neither is a step.
    for (const int kind :
         {int(KindAddFile), int(KindFillReport), int(KindSettlement), int(KindWord),
          int(KindOtherFile), int(KindExport), int(KindOpenFolder), 20, -1})
        EXPECT_EQ(FindStep(kind), nullptr) << kind;
}
