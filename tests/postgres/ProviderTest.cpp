// The PostgreSQL provider against a real server through psqlODBC: types, the dialect step,
// errors and new keys.
#include "PostgresEnvironment.h"
#include "data/ado/Connection.h"
#include "data/ado/Recordset.h"
#include "shared/RuntimeError.h"

#include <gtest/gtest.h>

namespace {

struct PostgresProvider : ::testing::Test {
    static void SetUpTestSuite() {
        postgres().createDatabase(QStringLiteral("demo"), PostgresServer::demoScript());
    }
    ado::Connection cnn;
    void SetUp() override {
        cnn.setCursorLocation(ado::adUseClient);
        cnn.Open(postgres().connectionString(QStringLiteral("demo")));
    }
};

TEST_F(PostgresProvider, Smoke) {
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM MA_contactos"), cnn, ado::adOpenStatic,
            ado::adLockOptimistic);
    for (long i = 0; i < rs.FieldCount(); ++i) {
        auto f = rs.Fields(i);
        printf("%s type %ld size %ld value %s\n", qPrintable(f.Name()), f.Type(), f.DefinedSize(),
               qPrintable(f.Value().toDisplayString()));
    }
    printf("rows %ld\n", rs.RecordCount());
}

} // namespace
