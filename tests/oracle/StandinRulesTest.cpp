// The stand-in's Oracle rules that the load job relies on, driven through DBStmt.
#include "OracleTestFixture.h"

#include <string>

using standin_test::StandinDatabase;

namespace {

// Runs the existence query for `name` (bound as typed, without terminator).
int countObjects(DBConnect& connection, std::string name) {
    int count = -1;
    DBStmt query(&connection, "SELECT COUNT(1) FROM USER_OBJECTS WHERE OBJECT_NAME = :1");
    query.bindByPos(1, &name[0], static_cast<int>(name.size()));
    query.defineByPos(1, &count);
    query.execute();
    return count;
}

// Executes a CREATE TABLE that must fail; returns "code|text".
std::string createFailure(DBConnect& connection, const char* sql) {
    DBStmt create(&connection, sql);
    try {
        create.execute();
    } catch (const DBStmt::OtherException&) {
        std::string text = create.errorText();
        return std::to_string(create.errorCode()) + "|" + text;
    }
    return "no failure";
}

} // namespace

TEST_F(OracleTest, ExistenceQueryCountsStoredNamesExactly) {
    DBConnect connection;
    connect(connection);
    run(connection, "CREATE TABLE  clients (NAME VARCHAR2(30 )                 )");
    EXPECT_EQ(database.tableNames("SCOTT"), (std::vector<std::string>{"CLIENTS"}));
    EXPECT_EQ(countObjects(connection, "CLIENTS"), 1);
    EXPECT_EQ(countObjects(connection, "clients"), 0);
    EXPECT_EQ(countObjects(connection, "CLIENTS "), 0);
    EXPECT_EQ(countObjects(connection, "ORDERS"), 0);

    database.addObject("scott", "CLIENTS", "INDEX");
    database.addObject("scott", "ORDERS_IDX", "INDEX");
    EXPECT_EQ(countObjects(connection, "CLIENTS"), 2);
    EXPECT_EQ(countObjects(connection, "ORDERS_IDX"), 1);
    // Another user's objects do not count.
    database.addTable("OTHER", "ORDERS", {{"A", 1}});
    EXPECT_EQ(countObjects(connection, "ORDERS"), 0);
}

TEST_F(OracleTest, CreateTableFollowsOraclesNameRules) {
    DBConnect connection;
    connect(connection);
    EXPECT_EQ(createFailure(connection, "CREATE TABLE  T (THEDATE VARCHAR2(8 ),DATE VARCHAR2(8 ))"),
              "904|ORA-00904: : invalid identifier\n");
    EXPECT_EQ(createFailure(connection, "CREATE TABLE  T (ORDER VARCHAR2(8 ))"),
              "904|ORA-00904: : invalid identifier\n");
    EXPECT_EQ(createFailure(connection, "CREATE TABLE  T (A VARCHAR2(1 ),a VARCHAR2(2 ))"),
              "957|ORA-00957: duplicate column name\n");
    EXPECT_EQ(createFailure(connection, "CREATE TABLE  T (A VARCHAR2(0 ))"),
              "1723|ORA-01723: zero-length columns are not allowed\n");
    EXPECT_EQ(createFailure(connection, "CREATE TABLE  T (A VARCHAR2(4001 ))"),
              "910|ORA-00910: specified length too long for its datatype\n");
    EXPECT_EQ(createFailure(connection, "CREATE TABLE  MY-TABLE (A VARCHAR2(1 ))"),
              "922|ORA-00922: missing or invalid option\n");
    EXPECT_TRUE(database.tableNames("SCOTT").empty());

    // Words that are only keywords are fine as column names.
    run(connection, "CREATE TABLE  T (TIME VARCHAR2(8 ),COST VARCHAR2(1998 ),SUM VARCHAR2(22 ))");
    EXPECT_EQ(table("T").columnNames, (std::vector<std::string>{"TIME", "COST", "SUM"}));
    EXPECT_EQ(createFailure(connection, "CREATE TABLE  t (B VARCHAR2(1 ))"),
              "955|ORA-00955: name is already used by an existing object\n");
    database.addObject("SCOTT", "PAY", "PACKAGE");
    database.addObject("SCOTT", "IDX", "INDEX");
    EXPECT_EQ(createFailure(connection, "CREATE TABLE  PAY (B VARCHAR2(1 ))"),
              "955|ORA-00955: name is already used by an existing object\n");
    run(connection, "CREATE TABLE  IDX (B VARCHAR2(1 ))");
    EXPECT_EQ(createFailure(connection, "DROP TABLE T"), "900|ORA-00900: invalid SQL statement\n");
}

TEST_F(OracleTest, CreateTableCommitsTheOpenTransaction) {
    DBConnect connection;
    connect(connection);
    run(connection, "CREATE TABLE  T (A VARCHAR2(2 ))");
    char value[2] = {'o', 'k'};
    DBStmt insert(&connection, "INSERT INTO T VALUES( :1   )");
    insert.bindByPos(1, value, 2);
    insert.executeArray(1);
    run(connection, "CREATE TABLE  U (A VARCHAR2(2 ))");
    insert.rollback();
    EXPECT_EQ(table("T").rows.size(), 1u);
}

TEST_F(OracleTest, DiscardModeChecksRowsButStoresNone) {
    StandinDatabase::setFailRules("discard");
    DBConnect connection;
    connect(connection);
    run(connection, "CREATE TABLE  T (A VARCHAR2(2 ))");
    std::string values(2 * 1000, 'z');
    DBStmt insert(&connection, "INSERT INTO T VALUES( :1   )");
    insert.bindByPos(1, &values[0], 2);
    insert.executeArray(1000);
    insert.commit();
    EXPECT_TRUE(table("T").rows.empty());
    insert.bindByPos(1, &values[0], 3);
    EXPECT_THROW(insert.executeArray(1), DBStmt::OtherException);
    EXPECT_EQ(insert.errorCode(), 12899);
}
