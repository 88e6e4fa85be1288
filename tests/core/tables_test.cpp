#include "core/pending_table.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace arx::core {
namespace {

TEST(PendingTable, RemovalKeepsRegistrationOrder) {
    auto t = std::make_unique<PendingReplyTable>();
    auto order = [&] {
        std::vector<int> ids;
        for (int i = 0; i < t->count(); ++i) ids.push_back(t->id_at(i));
        return ids;
    };
    int a = t->add(5, Kind::JointMaxSpeed, true), b = t->add(5, Kind::JointMaxSpeed, true), c = t->add(5, Kind::JointMaxSpeed, true);
    t->remove(c);  // the last one
    EXPECT_EQ(order(), (std::vector<int>{a, b}));
    int d = t->add(5, Kind::JointMaxSpeed, true);
    t->remove(a);  // the first one: the rest move up in order
    EXPECT_EQ(order(), (std::vector<int>{b, d}));
    for (int gone : {a, -1, kPendingSlots}) t->remove(gone);  // nothing happens
    EXPECT_EQ(order(), (std::vector<int>{b, d}));
}

}  // namespace
}  // namespace arx::core
