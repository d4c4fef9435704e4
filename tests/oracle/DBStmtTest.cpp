// DBStmt against the stand-in client: array inserts, transactions, warnings, shared errors.
#include "OracleTestFixture.h"

#include <cstring>
#include <memory>
#include <vector>

using standin_test::StandinDatabase;
using standin_test::StoredValue;

namespace {

// Column buffers of `rows` slots of `width` bytes, laid out as the load job does.
struct ColumnBuffer {
    ColumnBuffer(int rowCount, int slotWidth)
        : width(slotWidth), bytes(static_cast<std::size_t>(rowCount * slotWidth), '\0') {}
    void set(int row, const std::string& value) {
        std::memcpy(&bytes[static_cast<std::size_t>(row * width)], value.data(), value.size());
    }
    int width;
    std::string bytes;
};

const char* const kInsertAB = "INSERT INTO T VALUES( :1 ,:2   )";

void createTableT(DBConnect& connection) {
    DBStmt create(&connection, "CREATE TABLE  t (A VARCHAR2(4 ),B VARCHAR2(3 )                 )");
    create.execute();
}

// Inserts `rows` rows "r<row>" / "x" into T.
void insertRows(DBStmt& insert, ColumnBuffer& a, ColumnBuffer& b, int rows) {
    for (int row = 0; row < rows; ++row) {
        a.set(row, "r" + std::to_string(row % 1000));
        b.set(row, "x");
    }
    insert.executeArray(rows);
}

} // namespace

TEST_F(OracleTest, ArrayInsertStoresEverySlotCharacterForCharacter) {
    DBConnect connection;
    connect(connection);
    createTableT(connection);

    const int rows = 2500;
    ColumnBuffer a(rows, 4);
    ColumnBuffer b(rows, 3);
    for (int row = 0; row < rows; ++row) {
        a.set(row, std::to_string(row));
        b.set(row, row % 2 == 0 ? "ab " : "\t\\\x7F");
    }
    a.set(7, "\xC3\xA9\n\r"); // e acute in UTF-8, as the client sends every text
    DBStmt insert(&connection, kInsertAB);
    insert.bindByPos(1, a.bytes.data(), a.width);
    insert.bindByPos(2, b.bytes.data(), b.width);
    insert.executeArray(rows);
    insert.commit();

    standin_test::StoredTable stored = table("T");
    EXPECT_EQ(stored.columnNames, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(stored.columnWidths, (std::vector<int>{4, 3}));
    ASSERT_EQ(stored.rows.size(), static_cast<std::size_t>(rows));
    // Zero-byte padding is data for SQLT_CHR: every value keeps its whole slot.
    EXPECT_EQ(stored.rows[0][0], StoredValue(std::string("0\0\0\0", 4)));
    EXPECT_EQ(stored.rows[0][1], StoredValue("ab "));
    EXPECT_EQ(stored.rows[7][0], StoredValue("\xE9\n\r")); // in the database's code page 1252
    EXPECT_EQ(stored.rows[1][1], StoredValue("\t\\\x7F"));
    EXPECT_EQ(stored.rows[2499][0], StoredValue("2499"));
    EXPECT_EQ(stored.rows[2498][1], StoredValue("ab "));
}

TEST_F(OracleTest, ActualLengthsCutSlotsAndZeroMeansNull) {
    DBConnect connection;
    connect(connection);
    createTableT(connection);
    ColumnBuffer a(3, 4);
    ColumnBuffer b(3, 3);
    a.set(0, "ab");
    a.set(1, "wxyz");
    b.set(0, "1");
    b.set(1, "22");
    b.set(2, "333");
    unsigned short aLengths[3] = {2, 4, 0};
    unsigned short bLengths[3] = {1, 2, 3};
    DBStmt insert(&connection, kInsertAB);
    insert.bindByPos(1, a.bytes.data(), a.width, aLengths);
    insert.bindByPos(2, b.bytes.data(), b.width, bLengths);
    insert.executeArray(3);
    insert.commit();

    std::vector<std::vector<StoredValue>> expected = {
        {StoredValue("ab"), StoredValue("1")},
        {StoredValue("wxyz"), StoredValue("22")},
        {std::nullopt, StoredValue("333")},
    };
    EXPECT_EQ(table("T").rows, expected);
}

TEST_F(OracleTest, CommitRollbackAndSessionEndDecideWhatIsStored) {
    auto connection = std::make_unique<DBConnect>();
    connect(*connection);
    createTableT(*connection);
    ColumnBuffer a(10, 4);
    ColumnBuffer b(10, 3);
    DBStmt insert(connection.get(), kInsertAB);
    insert.bindByPos(1, a.bytes.data(), a.width);
    insert.bindByPos(2, b.bytes.data(), b.width);

    insertRows(insert, a, b, 3);
    EXPECT_EQ(table("T").rows.size(), 0u) << "not committed yet";
    insert.commit();
    EXPECT_EQ(table("T").rows.size(), 3u);
    insertRows(insert, a, b, 2);
    insert.rollback();
    EXPECT_EQ(table("T").rows.size(), 3u);

    // Ending the session commits, as Oracle's OCISessionEnd does; the statement outlives
    // its connection and is destroyed afterwards.
    insertRows(insert, a, b, 4);
    connection.reset();
    EXPECT_EQ(table("T").rows.size(), 7u);
}

TEST_F(OracleTest, StatementDestroyedAfterItsConnectionFreesEverything) {
    auto connection = std::make_unique<DBConnect>();
    connect(*connection);
    auto query = std::make_unique<DBStmt>(connection.get(), "SELECT COUNT(1) FROM USER_OBJECTS "
                                                            "WHERE OBJECT_NAME = :1");
    auto insert = std::make_unique<DBStmt>(connection.get(), kInsertAB);
    connection.reset();
    EXPECT_GT(StandinDatabase::liveHandleCount(), 0);
    query.reset();
    insert.reset();
    EXPECT_EQ(StandinDatabase::liveHandleCount(), 0);
}

TEST_F(OracleTest, ExecuteAndExecuteArrayAcceptTheirWarningsOnly) {
    StandinDatabase::setFailRules("execute#1=24344; execute#2=24345; execute#3=24347; "
                                  "execute#4=24347");
    DBConnect connection;
    connect(connection);
    char name[] = "T";
    int count = -1;
    DBStmt query(&connection, "SELECT COUNT(1) FROM USER_OBJECTS WHERE OBJECT_NAME = :1");
    query.bindByPos(1, name, 1);
    query.defineByPos(1, &count);
    query.execute();
    query.execute();
    EXPECT_EQ(count, 0);
    EXPECT_EQ(query.errorCode(), 0) << "an accepted warning must not stay on the handle";

    // 24347 is accepted for an array execution only.
    EXPECT_THROW(query.execute(), DBStmt::OtherException);
    EXPECT_EQ(query.errorCode(), 24347);
    EXPECT_STREQ(query.errorText(),
                 "ORA-24347: Warning of a NULL column in an aggregate function\n");
    query.executeArray(1);
    EXPECT_STREQ(query.errorText(),
                 "ORA-24347: Warning of a NULL column in an aggregate function\n");
    EXPECT_EQ(query.errorCode(), 0);
    EXPECT_EQ(connection.errorCode(), 0);
}

TEST_F(OracleTest, StatementsShareTheConnectionsErrorRecord) {
    DBConnect connection;
    connect(connection);
    createTableT(connection);
    DBStmt missing(&connection, "INSERT INTO NOSUCH VALUES( :1   )");
    DBStmt other(&connection, kInsertAB);
    char value[4] = {'a', 'b', 'c', 'd'};
    missing.bindByPos(1, value, 4);
    EXPECT_THROW(missing.executeArray(1), DBStmt::OtherException);
    EXPECT_STREQ(other.errorText(), "ORA-00942: table or view does not exist\n");
    EXPECT_EQ(other.errorCode(), 942);
    EXPECT_STREQ(connection.errorText(), "ORA-00942: table or view does not exist\n");

    // The record stays on the handle, yet later successful calls are not taken for
    // failures: success is decided by each call's return code.
    other.bindByPos(1, value, 4);
    other.bindByPos(2, value, 3);
    other.executeArray(1);
    other.commit();
    EXPECT_EQ(table("T").rows.size(), 1u);
}

TEST_F(OracleTest, FailedArrayInsertKeepsTheRowsBeforeTheFailingOne) {
    DBConnect connection;
    connect(connection);
    createTableT(connection);
    ColumnBuffer a(5, 5);
    ColumnBuffer b(5, 3);
    unsigned short aLengths[5] = {4, 4, 4, 5, 4};
    for (int row = 0; row < 5; ++row)
        a.set(row, "abcde");
    DBStmt insert(&connection, kInsertAB);
    insert.bindByPos(1, a.bytes.data(), a.width, aLengths);
    insert.bindByPos(2, b.bytes.data(), b.width);

    EXPECT_THROW(insert.executeArray(5), DBStmt::OtherException);
    EXPECT_STREQ(insert.errorText(), "ORA-12899: value too large for column \"SCOTT\".\"T\".\"A\" "
                                     "(actual: 5, maximum: 4)\n");
    EXPECT_EQ(insert.errorCode(), 12899);
    EXPECT_THROW(insert.executeArray(0), DBStmt::OtherException);
    EXPECT_STREQ(insert.errorText(), "ORA-24333: zero iteration count\n");
    insert.commit();
    EXPECT_EQ(table("T").rows.size(), 3u);
}

TEST_F(OracleTest, InjectedFailuresOfInsertAndCommitAndALostConnection) {
    StandinDatabase::setFailRules("insert#2@1=ORA-01653; commit#2=3113");
    {
        DBConnect connection;
        connect(connection);
        createTableT(connection);
        ColumnBuffer a(4, 4);
        ColumnBuffer b(4, 3);
        DBStmt insert(&connection, kInsertAB);
        insert.bindByPos(1, a.bytes.data(), a.width);
        insert.bindByPos(2, b.bytes.data(), b.width);
        insertRows(insert, a, b, 4);
        insert.commit();
        EXPECT_THROW(insertRows(insert, a, b, 4), DBStmt::OtherException);
        EXPECT_STREQ(insert.errorText(),
                     "ORA-01653: Message 1653 not found;  product=RDBMS; facility=ORA\n");
        EXPECT_THROW(insert.commit(), DBStmt::OtherException);
        EXPECT_STREQ(insert.errorText(), "ORA-03113: end-of-file on communication channel\n");
        // The connection went with the failed commit: whatever comes next finds none.
        EXPECT_THROW(insert.rollback(), DBStmt::OtherException);
        EXPECT_STREQ(insert.errorText(), "ORA-03114: not connected to ORACLE\n");
        EXPECT_THROW(insertRows(insert, a, b, 1), DBStmt::OtherException);
        EXPECT_EQ(insert.errorCode(), 3114);
        EXPECT_EQ(table("T").rows.size(), 4u);
    }
    // The first row of the failed batch was still in the transaction when the connection
    // dropped: the server rolled it back, and no session end could commit it.
    EXPECT_EQ(table("T").rows.size(), 4u);
    EXPECT_EQ(StandinDatabase::liveHandleCount(), 0);
}

TEST_F(OracleTest, CallWithoutErrorRecordStillFailsWithItsOwnText) {
    DBConnect connection;
    connect(connection);
    DBStmt statement(&connection, "SELECT COUNT(1) FROM USER_OBJECTS WHERE OBJECT_NAME = :1");
    connection.disconnect();
    EXPECT_THROW(statement.execute(), DBStmt::OtherException);
    EXPECT_STREQ(statement.errorText(), "OCIStmtExecute failed: invalid handle");
    EXPECT_EQ(statement.errorCode(), -2);
}

TEST_F(OracleTest, StatementsArePreparedByTheClientAndGoBackToItWhicheverWayItHas) {
    StandinDatabase::recordCalls(true);
    {
        DBConnect connection;
        connect(connection);
        createTableT(connection);
    }
    const std::string calls = StandinDatabase::callLog();
    StandinDatabase::recordCalls(false);
    // OCIStmtPrepare2 makes the handle, OCIStmtRelease takes it back.
    EXPECT_NE(calls.find("OCIStmtPrepare2 1 0\n"), std::string::npos) << calls;
    EXPECT_NE(calls.find("OCIStmtRelease 0\n"), std::string::npos) << calls;
    EXPECT_EQ(calls.find("OCIStmtPrepare "), std::string::npos) << calls;
    EXPECT_EQ(calls.find("OCIHandleAlloc 4"), std::string::npos) << calls;

    // A client without the older call, and one with it alone, load and run statements.
    for (const std::string client : {MARLIN_PREPARE2_CLIENT, MARLIN_PREPARE1_CLIENT}) {
        SCOPED_TRACE(client);
        StandinDatabase::setEnvironmentVariable("MARLIN_OCI_LIBRARY", client);
        DBConnect connection;
        connect(connection);
        run(connection, "DROP TABLE T");
        createTableT(connection);
        ColumnBuffer a(2, 4);
        ColumnBuffer b(2, 3);
        DBStmt insert(&connection, kInsertAB);
        insert.bindByPos(1, a.bytes.data(), a.width);
        insert.bindByPos(2, b.bytes.data(), b.width);
        insertRows(insert, a, b, 2);
        insert.commit();
        EXPECT_EQ(table("T").rows.size(), 2u);
    }
}

TEST_F(OracleTest, AStatementOracleRefusesToPrepareLeavesItsReasonWithTheConnection) {
    StandinDatabase::setFailRules("prepare#2=24431");
    DBConnect connection;
    connect(connection);
    DBStmt first(&connection, "SELECT COUNT(1) FROM USER_OBJECTS WHERE OBJECT_NAME = :1");
    EXPECT_THROW(DBStmt(&connection, kInsertAB), DBStmt::OtherException);
    EXPECT_STREQ(connection.errorText(),
                 "ORA-24431: Message 24431 not found;  product=RDBMS; facility=ORA\n");
    EXPECT_EQ(connection.errorCode(), 24431);
    // Nothing of the refused statement is left over.
    connection.disconnect();
    EXPECT_EQ(StandinDatabase::liveHandleCount(), 1);

    // A statement prepared with a warning is prepared, and the warning is no later error.
    StandinDatabase::setFailRules("prepare#1=24344");
    connect(connection);
    DBStmt warned(&connection, "CREATE TABLE  T (A VARCHAR2(4 ),B VARCHAR2(3 ))");
    EXPECT_EQ(connection.errorCode(), 0);
    warned.execute();
    EXPECT_EQ(database.tableNames("SCOTT"), std::vector<std::string>{"T"});
}

TEST_F(OracleTest, LongMessagesArriveWholeUpToOraclesLargest) {
    // A trigger's RAISE_APPLICATION_ERROR may give 2,048 bytes of text of its own.
    const std::string reason(2048, 'r');
    StandinDatabase::setFailRules("insert#1=20001:" + reason +
                                  ";insert#2=20002:" + std::string(4000, 's'));
    DBConnect connection;
    connect(connection);
    createTableT(connection);
    ColumnBuffer a(1, 4);
    ColumnBuffer b(1, 3);
    DBStmt insert(&connection, kInsertAB);
    insert.bindByPos(1, a.bytes.data(), a.width);
    insert.bindByPos(2, b.bytes.data(), b.width);
    EXPECT_THROW(insertRows(insert, a, b, 1), DBStmt::OtherException);
    EXPECT_EQ(insert.errorText(), "ORA-20001: " + reason + "\n");
    EXPECT_EQ(insert.errorCode(), 20001);
    // Longer ones are cut to Oracle's largest message, 3,072 bytes with the terminator.
    EXPECT_THROW(insertRows(insert, a, b, 1), DBStmt::OtherException);
    EXPECT_EQ(insert.errorText(), "ORA-20002: " + std::string(3071 - 11, 's'));
}
