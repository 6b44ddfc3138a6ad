#include <gtest/gtest.h>

#include <string>

#include "display/closure.h"

namespace {
// A listener that writes its name into a shared log and may remove itself.
struct recorder {
    recorder(std::string name_, std::string& log_, clSeq<int>* sequence_ = nullptr)
        : name(std::move(name_)), log(log_), sequence(sequence_), call(this, &recorder::onCall)
    {
    }
    null onCall(int value)
    {
        log += name + std::to_string(value) + " ";
        if (removeSelf)
            sequence->removeMember(&call);
        return null();
    }
    std::string name;
    std::string& log;
    clSeq<int>* sequence;
    bool removeSelf = false;
    clMethod<recorder, null, int> call;
};
}

TEST(closureTest, membersAreCalledInOrderOfAdding)
{
    std::string log;
    clSeq<int> sequence;
    recorder a("a", log), b("b", log), c("c", log);
    sequence.addMember(&a.call);
    sequence.addMember(&b.call);
    sequence.addMember(&c.call);
    sequence(1);
    EXPECT_EQ("a1 b1 c1 ", log);
}

TEST(closureTest, aMemberMayRemoveItselfWhileCalled)
{
    std::string log;
    clSeq<int> sequence;
    recorder a("a", log, &sequence), b("b", log, &sequence), c("c", log, &sequence);
    for (recorder* r : {&a, &b, &c})
        sequence.addMember(&r->call);
    b.removeSelf = true;
    sequence(1);
    sequence(2);
    EXPECT_EQ("a1 b1 c1 a2 c2 ", log);
    // The last one too, and the first.
    c.removeSelf = a.removeSelf = true;
    sequence(3);
    EXPECT_EQ(0, sequence.size());
    sequence(4);
    EXPECT_EQ("a1 b1 c1 a2 c2 a3 c3 ", log);
}

TEST(closureTest, repeatedMembersAreCalledPerOccurrenceAndRemovedTogether)
{
    std::string log;
    clSeq<int> sequence;
    recorder a("a", log), b("b", log);
    sequence.addMember(&a.call);
    sequence.addMember(&b.call);
    sequence.addMember(&a.call);
    sequence(1);
    EXPECT_EQ("a1 b1 a1 ", log);
    sequence.removeMember(&a.call);
    EXPECT_EQ(1, sequence.size());
    sequence.removeMember(&a.call); // not there any more: nothing happens
    log.clear();
    sequence(2);
    EXPECT_EQ("b2 ", log);
    // A repeated member removing itself during the call removes every occurrence;
    // the walk has already moved past it, so the second occurrence is not called.
    recorder c("c", log, &sequence);
    c.removeSelf = true;
    sequence.addMember(&c.call);
    sequence.addMember(&b.call);
    sequence.addMember(&c.call);
    log.clear();
    sequence(3);
    EXPECT_EQ("b3 c3 b3 ", log);
    EXPECT_EQ(2, sequence.size());
}

TEST(closureTest, methodsReturnTheirResults)
{
    struct doubler {
        int twice(int x) { return 2 * x; }
    } d;
    clMethod<doubler, int, int> m(&d, &doubler::twice);
    closure<int, int>& asClosure = m;
    EXPECT_EQ(14, asClosure(7));
}
