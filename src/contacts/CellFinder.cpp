#include "CellFinder.h"

#include "CellStore.h"
#include "TextFold.h"

CellFinder::CellFinder(const CellStore& cells) : cells_(cells) {}

void CellFinder::start(const QString& text, bool matchCase, Direction direction, int row,
                       int column, From from) {
    matchCase_ = matchCase;
    needle_ = matchCase ? text : TextFold::fold(text);
    matcher_ = QStringMatcher(needle_, Qt::CaseSensitive);
    direction_ = direction;
    columns_ = cells_.columnCount();
    total_ = columns_ * cells_.rowCount();
    foundRow_ = foundColumn_ = -1;
    wrapped_ = false;
    remaining_ = needle_.isEmpty() ? 0 : total_;
    if (total_ == 0) return;
    const long long step = direction == Direction::Forward ? 1 : -1;
    const long long at = (row * columns_ + column) % total_;
    start_ = from == From::Cell ? at : (at + step + total_) % total_;
    position_ = start_;
}

bool CellFinder::matches(int row, int column) {
    raw_.resize(0);
    cells_.appendText(row, column, raw_);
    if (matchCase_) return matcher_.indexIn(raw_) >= 0;
    // Folding never lengthens a text: a shorter cell cannot hold the text.
    if (raw_.size() < needle_.size()) return false;
    folded_.resize(0);
    TextFold::appendFolded(raw_, folded_);
    return matcher_.indexIn(folded_) >= 0;
}

CellFinder::Result CellFinder::step(long long cells) {
    if (remaining_ <= 0) return foundRow_ >= 0 ? Result::Found : Result::NotFound;
    // The grid may have changed between two slices (rows or columns removed): cells beyond it
    // are skipped.
    const long long now = columns_ * cells_.rowCount();
    const long long step = direction_ == Direction::Forward ? 1 : -1;
    for (long long k = 0; k < cells && remaining_ > 0; ++k) {
        const long long p = position_;
        position_ = (position_ + step + total_) % total_;
        --remaining_;
        if (p >= now) continue;
        const int row = int(p / columns_);
        const int column = int(p % columns_);
        if (column >= cells_.columnCount()) continue;
        if (!matches(row, column)) continue;
        foundRow_ = row;
        foundColumn_ = column;
        wrapped_ = direction_ == Direction::Forward ? p < start_ : p > start_;
        remaining_ = 0;
        return Result::Found;
    }
    return remaining_ > 0 ? Result::Searching : Result::NotFound;
}
