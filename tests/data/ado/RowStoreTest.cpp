// The compact cell store: what goes in comes out, also after rows are replaced and removed.
#include "data/ado/RowStore.h"
#include "data/ado/AdoTypes.h"
#include "data/ado/GrowingArray.h"

#include <cstring>
#include <gtest/gtest.h>

using ado::ColumnInfo;
using ado::RowStore;

namespace {

std::vector<ColumnInfo> columns() {
    auto make = [](const char* name, long type) {
        ColumnInfo c;
        c.name = QString::fromUtf8(name);
        c.type = type;
        return c;
    };
    return {make("t", ado::adVarWChar),    make("i", ado::adInteger),  make("b", ado::adBoolean),
            make("d", ado::adDBTimeStamp), make("m", ado::adCurrency), make("f", ado::adDouble)};
}

} // namespace

TEST(RowStore, CellsSurviveReplacingAndRemovingRows) {
    RowStore store(columns());
    const QDateTime when(QDate(2024, 2, 29), QTime(23, 59, 58, 125));
    // 150 rows cross the 64-bit words of the null and boolean bitmaps.
    for (int r = 0; r < 150; ++r) {
        store.appendRow({r % 3 == 0 ? Variant::null() : Variant(QStringLiteral("fila %1 ñ").arg(r)),
                         Variant(r), Variant(r % 2 == 0), Variant(when.addDays(r)),
                         Variant(Currency{r * 10001}),
                         r % 5 == 0 ? Variant::null() : Variant(r / 4.0)});
    }
    ASSERT_EQ(store.rowCount(), 150);
    EXPECT_TRUE(store.isNull(0, 0));
    EXPECT_EQ(store.value(1, 0), Variant(QStringLiteral("fila 1 ñ")));
    EXPECT_EQ(store.text(2, 0), QStringLiteral("fila 2 ñ"));
    EXPECT_EQ(store.value(3, 3), Variant(when.addDays(3)));
    EXPECT_EQ(store.value(7, 4), Variant(Currency{70007}));

    store.setRow(1, {Variant(QStringLiteral("otro")), Variant::null(), Variant(true),
                     Variant::null(), Variant(QStringLiteral("12.5")), Variant(2.5)});
    EXPECT_EQ(store.value(1, 0), Variant(QStringLiteral("otro")));
    EXPECT_TRUE(store.isNull(1, 1));
    EXPECT_EQ(store.value(2, 0), Variant(QStringLiteral("fila 2 ñ"))); // its neighbour untouched

    store.removeRow(5); // every later row moves up by one, bits included
    ASSERT_EQ(store.rowCount(), 149);
    for (int r = 5; r < 149; ++r) {
        const int was = r + 1;
        ASSERT_EQ(store.isNull(r, 0), was % 3 == 0) << r;
        ASSERT_EQ(store.value(r, 1), Variant(was)) << r;
        ASSERT_EQ(store.value(r, 2), Variant(was % 2 == 0)) << r;
        ASSERT_EQ(store.isNull(r, 5), was % 5 == 0) << r;
    }
    store.removeRow(148);
    store.appendRow({Variant(QStringLiteral("última")), Variant(1), Variant(false), Variant::null(),
                     Variant::null(), Variant::null()});
    EXPECT_EQ(store.value(148, 0), Variant(QStringLiteral("última")));
    EXPECT_FALSE(store.isNull(148, 1));
    EXPECT_TRUE(store.isNull(148, 3));
}

TEST(RowStore, TextsOfEverySizeAcrossChunks) {
    ColumnInfo c;
    c.name = QStringLiteral("t");
    c.type = ado::adLongVarWChar;
    RowStore store({c});
    auto textOf = [](int r) {
        // Mostly short texts, now and then one longer than a whole chunk.
        return r % 500 == 7 ? QString(70000 + r, QChar(u'a' + r % 26))
                            : QStringLiteral("texto %1 ").repeated(r % 13);
    };
    for (int r = 0; r < 3000; ++r)
        store.appendRow({Variant(textOf(r))});
    for (int r = 0; r < 3000; ++r)
        ASSERT_EQ(store.text(r, 0), textOf(r)) << r;
    store.setCell(10, 0, Variant(QString(80000, u'z')));
    EXPECT_EQ(store.text(10, 0).size(), 80000);
    EXPECT_EQ(store.text(11, 0), textOf(11));
}

TEST(RowStore, NumericTextColumnsBecomeNumbersOnlyWhenEveryValueIsOne) {
    ColumnInfo c;
    c.name = QStringLiteral("x");
    c.type = ado::adVarChar;
    RowStore store({c, c, c});
    const char* values[][3] = {{"12", "1.5", "007"}, {"-3", "2", "8"}};
    for (const auto& row : values) {
        store.appendRow({Variant(QString::fromUtf8(row[0])), Variant(QString::fromUtf8(row[1])),
                         Variant(QString::fromUtf8(row[2]))});
    }
    store.appendRow({Variant::null(), Variant::null(), Variant::null()});
    EXPECT_TRUE(store.retypeNumericText(0));
    EXPECT_EQ(store.columns()[0].type, ado::adInteger);
    EXPECT_EQ(store.value(1, 0), Variant(-3));
    EXPECT_TRUE(store.isNull(2, 0));
    EXPECT_TRUE(store.retypeNumericText(1));
    EXPECT_EQ(store.columns()[1].type, ado::adDouble);
    EXPECT_EQ(store.value(1, 1), Variant(2.0));
    // "007" is a code, not a number: the column stays text.
    EXPECT_FALSE(store.retypeNumericText(2));
    EXPECT_EQ(store.value(0, 2), Variant(QStringLiteral("007")));
}

TEST(RowStore, TextsKeepEveryLetterThroughTheirUtf8) {
    ColumnInfo c;
    c.name = QStringLiteral("t");
    c.type = ado::adVarWChar;
    RowStore store({c});
    const QString letters = QStringLiteral("Peña 😀 Ünïcode €");
    store.appendText(0, letters);
    store.endRow();
    const char16_t lone[] = {u'a', 0xD800, u'b'};
    store.appendText(0, QStringView(lone, 3));
    store.endRow();
    store.appendUtf8(0, "Begoña", std::strlen("Begoña"));
    store.endRow();
    EXPECT_EQ(store.text(0, 0), letters);
    EXPECT_EQ(store.text(1, 0), QStringLiteral("a\uFFFDb"));
    // Appended after what the string holds: the ASCII start widened in place, the rest decoded.
    QString out = QStringLiteral("> ");
    store.appendTextTo(2, 0, out);
    store.appendTextTo(0, 0, out);
    EXPECT_EQ(out, QStringLiteral("> Begoña") + letters);
    EXPECT_EQ(store.textUtf8(2, 0).size(), 7);
    // Bytes that are no UTF-8 (a database may hold them) are stored as replacement characters.
    store.appendUtf8(0, "a\xFF" "b\xC0\x80" "c\xED\xA0\x80", 9);
    store.endRow();
    EXPECT_EQ(store.text(3, 0), QStringLiteral("a\uFFFDb\uFFFD\uFFFDc\uFFFD\uFFFD\uFFFD"));
}

// Columns of a large table grow through their own mappings: nothing is lost on the way, and the
// arrays move, erase and give back as small ones do.
TEST(GrowingArray, KeepsEveryValueWhileGrowingPastTheHeap) {
    ado::GrowingArray<std::int64_t> values;
    constexpr std::int64_t count = 3'000'000; // 24 MB: heap, then a mapping that grows
    for (std::int64_t i = 0; i < count; ++i)
        values.push_back(i * 7);
    ASSERT_EQ(values.size(), std::size_t(count));
    for (std::int64_t i = 0; i < count; i += 9973)
        ASSERT_EQ(values[std::size_t(i)], i * 7) << i;
    EXPECT_EQ(values[std::size_t(count - 1)], (count - 1) * 7);
    values.erase(0);
    EXPECT_EQ(values[0], 7);
    EXPECT_EQ(values.size(), std::size_t(count - 1));

    ado::GrowingArray<std::int64_t> moved = std::move(values);
    EXPECT_TRUE(values.empty());
    EXPECT_EQ(moved[std::size_t(count - 2)], (count - 1) * 7);
    values = std::move(moved);
    values.resize(4, -1);
    values.shrink_to_fit();
    values.resize(6, -1);
    EXPECT_EQ(values[3], 28);
    EXPECT_EQ(values[5], -1);
    const char text[] = "texto";
    ado::GrowingArray<char> bytes;
    bytes.append(text, 5);
    bytes.clear();
    EXPECT_TRUE(bytes.empty());
}
