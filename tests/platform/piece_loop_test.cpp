#include "platform/piece_loop.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace zelmo::platform {
namespace {

using Pieces = std::vector<std::pair<std::uint64_t, std::size_t>>;

TEST(PieceLoop, CoversTheRangeWithAShortLastPieceAndReportsEachStep) {
    Pieces pieces;
    std::vector<std::uint64_t> reports;
    const PieceEnd end = forEachPiece(
        10, 4,
        [&](std::uint64_t at, std::size_t n) {
            pieces.emplace_back(at, n);
            return true;
        },
        NeverCancelled{},
        [&](std::uint64_t done, std::uint64_t total) {
            EXPECT_EQ(total, 10u);
            reports.push_back(done);
        });
    EXPECT_EQ(end, PieceEnd::Done);
    EXPECT_EQ(pieces, (Pieces{{0, 4}, {4, 4}, {8, 2}}));
    EXPECT_EQ(reports, (std::vector<std::uint64_t>{4, 8, 10}));
}

TEST(PieceLoop, StopsAtAFailedStepAndAtACancelRequest) {
    int steps = 0;
    EXPECT_EQ(forEachPiece(100, 10,
                           [&](std::uint64_t at, std::size_t) {
                               ++steps;
                               return at < 30;
                           }),
              PieceEnd::Failed);
    EXPECT_EQ(steps, 4);

    steps = 0;
    EXPECT_EQ(forEachPiece(
                  100, 10,
                  [&](std::uint64_t, std::size_t) {
                      ++steps;
                      return true;
                  },
                  [&] { return steps == 2; }),
              PieceEnd::Cancelled);
    EXPECT_EQ(steps, 2);
}

TEST(PieceLoop, AnEmptyRangeMovesNothingAndAZeroPieceSizeStillEnds) {
    int steps = 0;
    EXPECT_EQ(forEachPiece(0, 16, [&](std::uint64_t, std::size_t) { return ++steps > 0; }),
              PieceEnd::Done);
    EXPECT_EQ(steps, 0);
    EXPECT_EQ(forEachPiece(3, 0, [&](std::uint64_t, std::size_t n) { return n == 1 && ++steps; }),
              PieceEnd::Done);
    EXPECT_EQ(steps, 3);
}

} // namespace
} // namespace zelmo::platform
