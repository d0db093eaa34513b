#pragma once

// The one loop that moves a long byte range piece by piece. Every transfer over a swap file, a
// data file or a simulated chip walks its range through it, so the piece arithmetic, the cancel
// check and the progress report each live in one place. Header-only and free of Qt, so the
// simulated hardware library uses it too.

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace zelmo::platform {

enum class PieceEnd {
    Done,      // every piece moved
    Failed,    // a step returned false
    Cancelled, // the cancel check answered true before a piece
};

struct NeverCancelled {
    bool operator()() const { return false; }
};

struct NoReport {
    void operator()(std::uint64_t /*done*/, std::uint64_t /*total*/) const {}
};

// Walks [0, total) in pieces of at most `pieceSize` bytes (0 is taken as 1). Before each piece
// `cancelled()` is asked; then `step(offset, length)` moves the piece and returns false to stop;
// after each piece `report(done, total)` is told how far the loop got.
template <typename Step, typename Cancelled = NeverCancelled, typename Report = NoReport>
PieceEnd forEachPiece(std::uint64_t total, std::size_t pieceSize, Step&& step,
                      Cancelled&& cancelled = {}, Report&& report = {}) {
    const std::uint64_t piece = pieceSize == 0 ? 1 : pieceSize;
    for (std::uint64_t done = 0; done < total;) {
        if (cancelled()) {
            return PieceEnd::Cancelled;
        }
        const auto length = static_cast<std::size_t>(std::min(piece, total - done));
        if (!step(done, length)) {
            return PieceEnd::Failed;
        }
        done += length;
        report(done, total);
    }
    return PieceEnd::Done;
}

} // namespace zelmo::platform
