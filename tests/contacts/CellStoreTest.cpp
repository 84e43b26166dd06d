#include "contacts/CellStore.h"
#include "QtPrinters.h"
#include "TableSource.h"
#include "contacts/TextOrder.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <numeric>
#include <random>

using namespace Qt::StringLiterals;

namespace {

using Mode = CellStore::SortMode;

class CellStoreTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain)); }
    void TearDown() override { QLocale::setDefault(saved_); }

    static QStringList column(const CellStore& store, int c) {
        QStringList out;
        for (int r = 0; r < store.rowCount(); ++r)
            out << store.text(r, c);
        return out;
    }

private:
    QLocale saved_;
};

// One text column; every cell a text, so the grid reads it as the operator would.
std::shared_ptr<TableSource> texts(const QStringList& cells) {
    std::vector<std::vector<Variant>> rows;
    for (const QString& t : cells)
        rows.push_back({Variant(t), Variant(int(rows.size()))});
    return std::make_shared<TableSource>(QStringList{QStringLiteral("valor"), QStringLiteral("n")},
                                         std::move(rows));
}

TEST_F(CellStoreTest, SharesTheSourceAndShowsNullAsEmpty) {
    auto source = std::make_shared<TableSource>(
        QStringList{QStringLiteral("id"), QStringLiteral("importe"), QStringLiteral("alta")},
        std::vector<std::vector<Variant>>{
            {Variant(1), Variant(2.5), Variant(QDateTime(QDate(2024, 3, 1), QTime(0, 0)))},
            {Variant(2), Variant::null(), Variant(true)}});
    CellStore store;
    store.load(source);
    EXPECT_EQ(source.use_count(), 2); // kept, not copied
    EXPECT_EQ(store.rowCount(), 2);
    EXPECT_EQ(store.columnCount(), 3);
    EXPECT_EQ(store.header(1), QStringLiteral("importe"));
    EXPECT_EQ(store.text(0, 1), QStringLiteral("2,5"));
    EXPECT_EQ(store.text(0, 2), QStringLiteral("01/03/2024"));
    EXPECT_EQ(store.text(1, 1), QString());
    EXPECT_EQ(store.text(1, 2), QStringLiteral("Verdadero"));
    EXPECT_TRUE(store.readsAsNumber(0, 1));
    EXPECT_FALSE(store.readsAsNumber(1, 1));
    EXPECT_EQ(GridSource::displayText(Variant::null()), QString());
    EXPECT_EQ(GridSource::displayText(Variant(1234567.25)), QStringLiteral("1234567,25"));
}

TEST_F(CellStoreTest, WrittenTextsAndBlankRowsFollowTheirRows) {
    CellStore store;
    store.load(texts({QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("b")}));
    store.setText(0, 1, QStringLiteral("escrito"));
    store.insertRows(1, 2);
    store.setText(2, 0, QStringLiteral("aa"));
    EXPECT_EQ(column(store, 0), (QStringList{u"c"_s, u""_s, u"aa"_s, u"a"_s, u"b"_s}));
    EXPECT_EQ(store.sourceRow(1), -1);
    EXPECT_EQ(store.sourceRow(3), 1);
    EXPECT_TRUE(store.isWritten(0, 1));
    EXPECT_FALSE(store.isWritten(0, 0));

    store.sort(0, 0, Mode::TextAscending);
    EXPECT_EQ(column(store, 0), (QStringList{u""_s, u"a"_s, u"aa"_s, u"b"_s, u"c"_s}));
    EXPECT_EQ(store.text(4, 1), QStringLiteral("escrito")); // the written cell went with "c"

    // Removing a row takes its written texts: a new blank row in its place shows nothing.
    store.removeRows(2, 1);
    EXPECT_EQ(column(store, 0), (QStringList{u""_s, u"a"_s, u"b"_s, u"c"_s}));
    store.insertRows(2, 1);
    EXPECT_EQ(store.text(2, 0), QString());

    // Dropping many rows at once against few written cells takes the other road; same result.
    store.insertRows(4, 50);
    store.setText(40, 0, QStringLiteral("perdido"));
    store.removeRows(4, 50);
    store.insertRows(4, 50);
    for (int r = 4; r < 54; ++r)
        ASSERT_EQ(store.text(r, 0), QString());
    EXPECT_EQ(store.text(54, 1), QStringLiteral("escrito")); // "c" is below the new rows
}

TEST_F(CellStoreTest, DroppedColumnsComeBackBlank) {
    CellStore store;
    store.load(texts({QStringLiteral("x"), QStringLiteral("y")}));
    store.setText(0, 0, QStringLiteral("w"));
    store.setColumnCount(1);
    store.setColumnCount(3);
    EXPECT_EQ(store.text(0, 0), QStringLiteral("w"));
    EXPECT_EQ(store.text(1, 1), QString()); // the source's column 1 is gone
    EXPECT_EQ(store.header(1), QString());
    store.setColumnCount(0);
    store.setColumnCount(1);
    EXPECT_EQ(store.text(0, 0), QString());
}

TEST_F(CellStoreTest, EachModeOrdersMixedNumbersAndTexts) {
    const QStringList cells{u"10"_s,   u"b"_s,   u"9"_s,   u"Abc"_s, u""_s,
                            u"-2,5"_s, u"abc"_s, u"100"_s, u"B"_s,   u"x1"_s};
    auto sorted = [&](Mode mode) {
        CellStore store;
        store.load(texts(cells));
        store.sort(0, 0, mode);
        return column(store, 0);
    };
    EXPECT_EQ(sorted(Mode::None), cells);
    // Numbers by value ("100" after "10" and "9"), then texts as words are ordered: case is
    // ignored, so "Abc"/"abc" and "b"/"B" keep their order.
    EXPECT_EQ(sorted(Mode::GenericAscending),
              (QStringList{u"-2,5"_s, u"9"_s, u"10"_s, u"100"_s, u""_s, u"Abc"_s, u"abc"_s, u"b"_s,
                           u"B"_s, u"x1"_s}));
    EXPECT_EQ(sorted(Mode::GenericDescending),
              (QStringList{u"x1"_s, u"b"_s, u"B"_s, u"Abc"_s, u"abc"_s, u""_s, u"100"_s, u"10"_s,
                           u"9"_s, u"-2,5"_s}));
    // Every text that is no number counts as 0; equal keys keep their order.
    EXPECT_EQ(sorted(Mode::NumericAscending),
              (QStringList{u"-2,5"_s, u"b"_s, u"Abc"_s, u""_s, u"abc"_s, u"B"_s, u"x1"_s, u"9"_s,
                           u"10"_s, u"100"_s}));
    EXPECT_EQ(sorted(Mode::NumericDescending),
              (QStringList{u"100"_s, u"10"_s, u"9"_s, u"b"_s, u"Abc"_s, u""_s, u"abc"_s, u"B"_s,
                           u"x1"_s, u"-2,5"_s}));
    // Case is ignored, and "Abc"/"abc", "b"/"B" stay in their order.
    EXPECT_EQ(sorted(Mode::TextAscending),
              (QStringList{u""_s, u"-2,5"_s, u"10"_s, u"100"_s, u"9"_s, u"Abc"_s, u"abc"_s, u"b"_s,
                           u"B"_s, u"x1"_s}));
    EXPECT_EQ(sorted(Mode::TextDescending),
              (QStringList{u"x1"_s, u"b"_s, u"B"_s, u"Abc"_s, u"abc"_s, u"9"_s, u"100"_s, u"10"_s,
                           u"-2,5"_s, u""_s}));
}

TEST_F(CellStoreTest, TypedNumbersSortByValueAndTextsByTheirWholeLength) {
    // Typed numbers (negative, zero, huge) and texts that share their first letters: the keys
    // kept beside each row must not decide what only the whole value can.
    std::vector<std::vector<Variant>> rows{{Variant(3.0)},
                                           {Variant(-0.0)},
                                           {Variant(0)},
                                           {Variant(-1e300)},
                                           {Variant(1e300)},
                                           {Variant(-7)},
                                           {Variant(QStringLiteral("abcdz"))},
                                           {Variant(QStringLiteral("abcda"))},
                                           {Variant(QStringLiteral("abcd"))},
                                           {Variant(QStringLiteral("ÁRBOL"))},
                                           {Variant(QStringLiteral("árbol"))},
                                           {Variant::null()}};
    CellStore store;
    store.load(std::make_shared<TableSource>(QStringList{u"v"_s}, rows));
    store.sort(0, 0, Mode::GenericAscending);
    EXPECT_EQ(column(store, 0),
              (QStringList{u"-1E+300"_s, u"-7"_s, u"0"_s, u"0"_s, u"3"_s, u"1E+300"_s, u""_s,
                           u"abcd"_s, u"abcda"_s, u"abcdz"_s, u"ÁRBOL"_s, u"árbol"_s}))
        << column(store, 0).join(u'|').toStdString();
    EXPECT_EQ(store.sourceRow(2), 1); // -0 and 0 are equal: their order stays
    store.sort(0, 0, Mode::TextDescending);
    EXPECT_EQ(store.text(0, 0), QStringLiteral("ÁRBOL"));
    EXPECT_EQ(store.text(1, 0), QStringLiteral("árbol"));
}

TEST_F(CellStoreTest, SortsBySeveralColumnsLeftToRightAndMatchesAPlainStableSort) {
    std::mt19937 random(7);
    std::vector<std::vector<Variant>> rows;
    const QStringList words{u"ana"_s, u"Ana"_s, u"anabel"_s, u"anab"_s, u"12"_s, u"x"_s};
    for (int i = 0; i < 2000; ++i) {
        rows.push_back(
            {Variant(words[int(random() % words.size())]), Variant(int(random() % 5)), Variant(i)});
    }
    CellStore store;
    store.load(std::make_shared<TableSource>(QStringList{u"a"_s, u"b"_s, u"orden"_s}, rows));
    store.setText(3, 1, QStringLiteral("-1"));
    store.sort(0, 1, Mode::TextDescending);

    // The same order by a plain stable sort on whole texts, compared by the collator.
    std::vector<int> expected(rows.size());
    std::iota(expected.begin(), expected.end(), 0);
    auto key = [&](int r, int c) {
        return r == 3 && c == 1 ? QStringLiteral("-1")
                                : rows[std::size_t(r)][std::size_t(c)].toDisplayString();
    };
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
        const int c0 = collator.compare(key(a, 0), key(b, 0));
        if (c0 != 0) return c0 > 0;
        return collator.compare(key(a, 1), key(b, 1)) > 0;
    });
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(store.sourceRow(int(i)), expected[i]) << "at " << i;
    }
}

TEST_F(CellStoreTest, TextsSortAsASpanishReaderOrdersWords) {
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Argentina));
    const QStringList names{u"Zapata"_s,  u"Ñandú"_s,  u"Núñez"_s,  u"Pérez"_s, u"Nora"_s,
                            u"Álvarez"_s, u"Íñigo"_s,  u"Ibáñez"_s, u"Oso"_s,   u"ñu"_s,
                            u"Ñoño"_s,    u"Peña"_s,   u"Pena"_s,   u"Perez"_s, u"Penz"_s,
                            u"Alvarez"_s, u"ALVAREZ"_s};
    CellStore store;
    store.load(texts(names));
    store.sort(0, 0, Mode::TextAscending);
    // Accents and case do not split letters apart (an accent decides only between otherwise
    // equal words, case never); Ñ is a letter of its own, after N.
    EXPECT_EQ(column(store, 0),
              (QStringList{u"Alvarez"_s, u"ALVAREZ"_s, u"Álvarez"_s, u"Ibáñez"_s, u"Íñigo"_s,
                           u"Nora"_s, u"Núñez"_s, u"Ñandú"_s, u"Ñoño"_s, u"ñu"_s, u"Oso"_s,
                           u"Pena"_s, u"Penz"_s, u"Peña"_s, u"Perez"_s, u"Pérez"_s, u"Zapata"_s}));
    store.sort(0, 0, Mode::GenericDescending);
    EXPECT_EQ(store.text(0, 0), u"Zapata"_s);
    // These names go by their quick keys, not one collator call per comparison.
    EXPECT_TRUE(TextOrder().keysInUse());
    EXPECT_EQ(store.text(7, 0), u"ñu"_s);
    EXPECT_EQ(store.text(9, 0), u"Ñandú"_s);
    EXPECT_EQ(store.text(10, 0), u"Núñez"_s);
}

TEST_F(CellStoreTest, TextSortsAgreeWithTheCollatorWhateverTheCharacters) {
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Argentina));
    // Letters the quick keys cover and letters only the collator knows (ß, æ, ø, Greek, a
    // combining accent, a character beyond the first plane), mixed in the same texts.
    const QString alphabet =
        u"aAáÁbBnNñÑoOeéEÉuüÜ zZ-.,'09çÇßæÆøØΩωłŁ€\u0301\t"_s + QString::fromUcs4(U"\U0001F600");
    std::mt19937 random(11);
    QStringList cells;
    for (int i = 0; i < 3000; ++i) {
        QString text;
        const int length = int(random() % 6);
        for (int k = 0; k < length; ++k) {
            const qsizetype at = qsizetype(random() % std::uint32_t(alphabet.size()));
            // Never half a surrogate pair.
            if (alphabet[at].isHighSurrogate() || alphabet[at].isLowSurrogate())
                text += QString::fromUcs4(U"\U0001F600");
            else
                text += alphabet[at];
        }
        cells << text;
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (const Mode mode : {Mode::TextAscending, Mode::TextDescending}) {
        CellStore store;
        store.load(texts(cells));
        store.sort(0, 0, mode);
        const int sign = mode == Mode::TextAscending ? 1 : -1;
        for (int r = 1; r < store.rowCount(); ++r) {
            const int c = sign * collator.compare(store.text(r - 1, 0), store.text(r, 0));
            ASSERT_LE(c, 0) << "rows " << r - 1 << " and " << r << ": "
                            << store.text(r - 1, 0).toStdString() << " / "
                            << store.text(r, 0).toStdString();
            // Equal texts keep the order they had.
            if (c == 0) {
                ASSERT_LT(store.sourceRow(r - 1), store.sourceRow(r));
            }
        }
    }
}

TEST_F(CellStoreTest, HoldsNothingPerCell) {
    std::vector<std::vector<Variant>> rows(100000, {Variant(1), Variant(QStringLiteral("texto"))});
    CellStore store;
    store.load(std::make_shared<TableSource>(QStringList{u"a"_s, u"b"_s}, std::move(rows)));
    // The order vector and little else.
    EXPECT_LT(store.bytes(), 100000 * sizeof(std::uint32_t) + 4096);
}

} // namespace
