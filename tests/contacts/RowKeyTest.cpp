// A row reaches its own record whatever its key holds: blanks, quotes, brackets.
#include "ContactsWindowFixture.h"

#include "contacts/RowWriter.h"

namespace {

using RowKey = ContactsWindow;

TEST_F(RowKey, ATextKeyIsTakenExactlyAsTheCellHoldsIt) {
    open(QStringLiteral(
        "CREATE TABLE MA_contactos (id varchar(10) PRIMARY KEY, nombre varchar(25));"
        "INSERT INTO MA_contactos VALUES ('5', 'cinco'), (' 5 ', 'cinco con blancos'),"
        " ('O''[x]', 'comilla');"
        "CREATE TABLE ta_usuarios (nombre varchar(30), Administrador int, UNegocio varchar(4));"));
    FlexGrid& g = grid();
    int blancos = 0, comilla = 0;
    for (int r = 1; r < g.Rows(); ++r) {
        if (g.TextMatrix(r, 0) == QStringLiteral(" 5 ")) blancos = r;
        if (g.TextMatrix(r, 0) == QStringLiteral("O'[x]")) comilla = r;
    }
    ASSERT_GT(blancos, 0);
    ASSERT_GT(comilla, 0);
    // No prompt is expected: the record read is the row's own, unchanged since the load.
    ScriptedPrompts op;
    type(blancos, 1, QStringLiteral("editado"));
    type(comilla, 1, QStringLiteral("otro"));
    moveAway(blancos == 1 ? 2 : 1);
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = ' 5 '")),
              QStringLiteral("editado"));
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = '5'")),
              QStringLiteral("cinco"));
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 'O''[x]'")),
              QStringLiteral("otro"));
    EXPECT_EQ(RowWriter::sentenciaRegistro(QStringLiteral("T"), QStringLiteral(" 5 ")),
              QStringLiteral("select top 1 * from T where id = ' 5 '"));
    EXPECT_EQ(RowWriter::sentenciaRegistro(QStringLiteral("T"), QStringLiteral("-12")),
              QStringLiteral("select top 1 * from T where id = -12"));
}

} // namespace
