// The stand-in's Oracle rules that the load job relies on, driven through DBStmt.
#include "OracleTestFixture.h"

#include "oracle/OciLibrary.h"

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
    EXPECT_EQ(createFailure(connection, "UPDATE T SET A = 1"),
              "900|ORA-00900: invalid SQL statement\n");
}

TEST_F(OracleTest, DropAndRenameFollowOraclesRulesAndCommitFirst) {
    DBConnect connection;
    connect(connection);
    run(connection, "CREATE TABLE  OLD (A VARCHAR2(2 ))");
    run(connection, "CREATE TABLE  NEW1 (A VARCHAR2(2 ))");
    char value[2] = {'o', 'k'};
    DBStmt insert(&connection, "INSERT INTO OLD VALUES( :1   )");
    insert.bindByPos(1, value, 2);
    insert.executeArray(1);
    // Refused for a missing table, but as DDL it has committed the open transaction.
    EXPECT_EQ(createFailure(connection, "DROP TABLE NOSUCH"),
              "942|ORA-00942: table or view does not exist\n");
    insert.rollback();
    EXPECT_EQ(table("OLD").rows.size(), 1u);

    database.addObject("SCOTT", "PAY", "PACKAGE");
    const std::string nameInUse = "955|ORA-00955: name is already used by an existing object\n";
    EXPECT_EQ(createFailure(connection, "ALTER TABLE NEW1 RENAME TO OLD"), nameInUse);
    EXPECT_EQ(createFailure(connection, "ALTER TABLE NEW1 RENAME TO PAY"), nameInUse);
    EXPECT_EQ(createFailure(connection, "ALTER TABLE NOSUCH RENAME TO X"),
              "942|ORA-00942: table or view does not exist\n");
    EXPECT_EQ(createFailure(connection, "DROP VIEW OLD"), "950|ORA-00950: invalid DROP option\n");
    EXPECT_EQ(createFailure(connection, "DROP TABLE OLD CASCADE"),
              "933|ORA-00933: SQL command not properly ended\n");
    EXPECT_EQ(createFailure(connection, "ALTER TABLE OLD ADD B VARCHAR2(1)"),
              "1735|ORA-01735: invalid ALTER TABLE option\n");
    EXPECT_EQ(database.tableNames("SCOTT"), (std::vector<std::string>{"NEW1", "OLD"}));

    run(connection, "DROP TABLE OLD");
    run(connection, "ALTER TABLE new1 RENAME TO old");
    EXPECT_EQ(database.tableNames("SCOTT"), std::vector<std::string>{"OLD"});
    EXPECT_TRUE(table("OLD").rows.empty());
    run(connection, "DROP TABLE OLD PURGE");
    EXPECT_TRUE(database.tableNames("SCOTT").empty());

    // Each can be made to fail by a rule of its own, leaving the tables as they were.
    StandinDatabase::setFailRules("drop#1=2449;rename#1=54");
    DBConnect failing;
    connect(failing);
    run(failing, "CREATE TABLE  T (A VARCHAR2(2 ))");
    EXPECT_EQ(createFailure(failing, "DROP TABLE T").substr(0, 5), "2449|");
    EXPECT_EQ(createFailure(failing, "ALTER TABLE T RENAME TO U").substr(0, 3), "54|");
    EXPECT_EQ(database.tableNames("SCOTT"), std::vector<std::string>{"T"});
}

namespace {

// The USER_TAB_COLUMNS row of `table` at COLUMN_ID `id` (bound as text, as the load binds
// it), as "NAME TYPE CHAR_LENGTH CHAR_USED DATA_LENGTH COLUMN_ID"; "none" without a row.
std::string columnAt(DBConnect& connection, std::string table, std::string id) {
    DBStmt query(&connection, "SELECT COLUMN_NAME, DATA_TYPE, CHAR_LENGTH, CHAR_USED, "
                              "DATA_LENGTH, COLUMN_ID FROM USER_TAB_COLUMNS "
                              "WHERE TABLE_NAME = :1 AND COLUMN_ID = :2");
    char name[129] = {}, type[129] = {}, used[2] = {};
    int length = -1, bytes = -1, position = -1;
    short indicators[6] = {9, 9, 9, 9, 9, 9};
    query.bindByPos(1, &table[0], static_cast<int>(table.size()));
    query.bindByPos(2, &id[0], static_cast<int>(id.size()));
    query.defineText(1, name, sizeof name, &indicators[0]);
    query.defineText(2, type, sizeof type, &indicators[1]);
    query.defineByPos(3, &length, &indicators[2]);
    query.defineText(4, used, sizeof used, &indicators[3]);
    query.defineByPos(5, &bytes, &indicators[4]);
    query.defineByPos(6, &position, &indicators[5]);
    if (!query.executeQuery())
        return query.errorCode() == 0 ? "none" : "none, and a stale record";
    for (short indicator : indicators)
        if (indicator != 0)
            return "indicator " + std::to_string(indicator);
    return std::string(name) + " " + type + " " + std::to_string(length) + " " + used + " " +
           std::to_string(bytes) + " " + std::to_string(position);
}

} // namespace

TEST_F(OracleTest, UserTabColumnsDescribesATablesColumnsByPosition) {
    database.setCharacterSet("AL32UTF8");
    DBConnect connection;
    connect(connection);
    run(connection, "CREATE TABLE  T (NAME VARCHAR2(10 CHAR),CODE VARCHAR2(3 ))");
    EXPECT_EQ(columnAt(connection, "T", "1"), "NAME VARCHAR2 10 C 40 1");
    EXPECT_EQ(columnAt(connection, "T", "2"), "CODE VARCHAR2 3 B 3 2");
    EXPECT_EQ(columnAt(connection, "T", "3"), "none");
    EXPECT_EQ(columnAt(connection, "T", "0"), "none");
    // Names as stored, in upper case.
    EXPECT_EQ(columnAt(connection, "t", "1"), "none");
    EXPECT_EQ(columnAt(connection, "U", "1"), "none");

    // A name longer than its buffer is cut, and the indicator tells its whole length.
    DBStmt query(&connection, "SELECT COLUMN_NAME FROM USER_TAB_COLUMNS WHERE TABLE_NAME = :1");
    char table[] = "T";
    char name[3] = {};
    short indicator = 0;
    query.bindByPos(1, table, 1);
    query.defineText(1, name, sizeof name, &indicator);
    EXPECT_TRUE(query.executeQuery());
    EXPECT_STREQ(name, "NA");
    EXPECT_EQ(indicator, 4);
    EXPECT_EQ(createFailure(connection, "SELECT OWNER FROM USER_TAB_COLUMNS WHERE TABLE_NAME = :1"),
              "904|ORA-00904: : invalid identifier\n");
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

    // In an AL32UTF8 database a value longer in bytes than its column's characters is
    // counted: nine letters of two bytes fit VARCHAR2(9 CHAR), ten do not.
    database.setCharacterSet("AL32UTF8");
    DBConnect utf8;
    connect(utf8);
    run(utf8, "CREATE TABLE  U (A VARCHAR2(9 CHAR))");
    std::string letters;
    for (int letter = 0; letter < 10; ++letter)
        letters += "\xC3\xA9";
    std::string slots;
    for (int row = 0; row < 50; ++row)
        slots += letters;
    std::vector<unsigned short> lengths(50, 18);
    DBStmt fits(&utf8, "INSERT INTO U VALUES( :1   )");
    fits.bindByPos(1, &slots[0], 20, lengths.data());
    fits.executeArray(50);
    lengths[37] = 20;
    EXPECT_THROW(fits.executeArray(50), DBStmt::OtherException);
    EXPECT_EQ(fits.errorCode(), 12899);
    EXPECT_TRUE(table("U").rows.empty());
}

namespace {

// Inserts one row of `values` (each bound with its own length) into T; "" when it was
// stored, else Oracle's text.
std::string insertOne(DBConnect& connection, std::vector<std::string> values) {
    std::string sql = "INSERT INTO T VALUES( ";
    for (std::size_t position = 1; position <= values.size(); ++position)
        sql += ":" + std::to_string(position) + (position < values.size() ? " ," : "   )");
    DBStmt insert(&connection, sql.c_str());
    try {
        for (std::size_t position = 1; position <= values.size(); ++position)
            insert.bindByPos(static_cast<int>(position), &values[position - 1][0],
                             static_cast<int>(values[position - 1].size()));
        insert.executeArray(1);
        insert.commit();
    } catch (const DBStmt::OtherException&) {
        return insert.errorText();
    }
    return "";
}

std::string tooLarge(const char* column, int actual, int maximum) {
    return "ORA-12899: value too large for column \"SCOTT\".\"T\".\"" + std::string(column) +
           "\" (actual: " + std::to_string(actual) + ", maximum: " + std::to_string(maximum) +
           ")\n";
}

} // namespace

TEST_F(OracleTest, Al32Utf8DatabasesCountTheColumnsUnitAndRefuseLongBinds) {
    database.setCharacterSet("AL32UTF8");
    DBConnect connection; // the client works in AL32UTF8 too: values pass unconverted
    connect(connection);
    run(connection, "CREATE TABLE  T (B VARCHAR2(4 ),C VARCHAR2(4 CHAR),L VARCHAR2(4000 CHAR))");
    const std::string e = "\xC3\xA9";        // e acute, two bytes
    const std::string euro = "\xE2\x82\xAC"; // three bytes
    EXPECT_EQ(insertOne(connection, {e + "t" + e, "a", "a"}), tooLarge("B", 5, 4));
    EXPECT_EQ(insertOne(connection, {"ab", e + "t" + e + euro + "?", "a"}), tooLarge("C", 5, 4));
    // 2000 characters in the 4000 bytes a value may take.
    std::string long2000;
    for (int i = 0; i < 2000; ++i)
        long2000 += e;
    EXPECT_EQ(insertOne(connection, {e + "t", e + "t" + e + euro, long2000}), "");

    standin_test::StoredTable stored = table("T");
    EXPECT_EQ(stored.widthsInCharacters, (std::vector<bool>{false, true, true}));
    ASSERT_EQ(stored.rows.size(), 1u);
    EXPECT_EQ(stored.rows[0][0], e + "t");
    EXPECT_EQ(stored.rows[0][1], e + "t" + e + euro);
    EXPECT_EQ(stored.rows[0][2]->size(), 4000u);

    // A bind declared larger than 4000 bytes is LONG data, whatever its values hold.
    std::string wide(4001, 'x');
    char shortValue[] = "ab";
    DBStmt insert(&connection, "INSERT INTO T VALUES( :1 ,:2 ,:3   )");
    insert.bindByPos(1, shortValue, 2);
    insert.bindByPos(2, shortValue, 2);
    unsigned short length = 3;
    insert.bindByPos(3, &wide[0], 4001, &length);
    EXPECT_THROW(insert.executeArray(1), DBStmt::OtherException);
    EXPECT_STREQ(insert.errorText(),
                 "ORA-01461: can bind a LONG value only for insert into a LONG column\n");
    EXPECT_EQ(table("T").rows.size(), 1u);

    database.setCharacterSet("ZHS16GBK");
    DBConnect unknownSet;
    EXPECT_THROW(connect(unknownSet), DBConnect::OtherException);
    EXPECT_EQ(unknownSet.errorCode(), 12705);
}

TEST_F(OracleTest, AWindowsDatabaseTakesUtf8TextsInItsOwnSetWhateverNlsLangSays) {
    // No NLS_LANG set could change what the client sends: the environment says AL32UTF8.
    StandinDatabase::setEnvironmentVariable("NLS_LANG", "AMERICAN_AMERICA.US7ASCII");
    // The users file and the tables hold the database's set: code page 1252.
    database.addUser("M\xDCLLER", "Gr\xFC\xDF"
                                  "e1");
    DBConnect connection;
    connection.connect("M\xC3\x9CLLER",
                       "Gr\xC3\xBC\xC3\x9F"
                       "e1",
                       "orcl");
    // An unquoted name folds to upper case, national letters too; its length counts the
    // database's bytes.
    run(connection, "CREATE TABLE  pr\xC3\xBC"
                    "fung (stra\xC3\x9F"
                    "e VARCHAR2(3 CHAR))");
    EXPECT_EQ(database.tableNames("M\xDCLLER"), (std::vector<std::string>{"PR\xDC"
                                                                          "FUNG"}));
    standin_test::StoredTable stored = database.readTable("M\xDCLLER", "PR\xDC"
                                                                       "FUNG");
    EXPECT_EQ(stored.columnNames, (std::vector<std::string>{"STRA\xDF"
                                                            "E"}));
    EXPECT_EQ(countObjects(connection, "PR\xC3\x9C"
                                       "FUNG"),
              1);
    // A character code page 1252 lacks (a Cyrillic one) arrives as Oracle's replacement.
    DBStmt insert(&connection, "INSERT INTO pr\xC3\xBC"
                               "fung VALUES( :1   )");
    std::string value = "\xC3\xA9\xD0\x96\xE2\x82\xAC"; // e acute, zhe, euro sign
    insert.bindByPos(1, &value[0], static_cast<int>(value.size()));
    insert.executeArray(1);
    insert.commit();
    stored = database.readTable("M\xDCLLER", "PR\xDC"
                                             "FUNG");
    ASSERT_EQ(stored.rows.size(), 1u);
    EXPECT_EQ(stored.rows[0][0], "\xE9\xBF\x80");
    // Four characters do not fit three; the message names the column in UTF-8.
    value += "x";
    insert.bindByPos(1, &value[0], static_cast<int>(value.size()));
    EXPECT_THROW(insert.executeArray(1), DBStmt::OtherException);
    EXPECT_STREQ(insert.errorText(), "ORA-12899: value too large for column "
                                     "\"M\xC3\x9CLLER\".\"PR\xC3\x9C"
                                     "FUNG\".\"STRA\xC3\x9F"
                                     "E\" "
                                     "(actual: 4, maximum: 3)\n");
    StandinDatabase::setEnvironmentVariable("NLS_LANG", "");
}

TEST_F(OracleTest, MessagesComeInTheClientsLanguageAndCharacterSet) {
    StandinDatabase::setEnvironmentVariable("NLS_LANG", "GERMAN_GERMANY.WE8MSWIN1252");
    DBConnect connection;
    EXPECT_THROW(connection.connect("scott", "wrong", "orcl"), DBConnect::OtherException);
    EXPECT_STREQ(connection.errorText(),
                 "ORA-01017: Benutzername/Kennwort ung\xC3\xBCltig; Anmeldung abgelehnt\n");

    // An environment of another client set gets the message in that set.
    const oci::OciEntryPoints api = *oci::loadOciLibrary();
    oci::OCIEnv* environment = nullptr;
    ASSERT_EQ(api.OCIEnvNlsCreate(&environment, oci::OCI_THREADED, nullptr, nullptr, nullptr,
                                  nullptr, 0, nullptr, 178, 178),
              oci::OCI_SUCCESS);
    void* errors = nullptr;
    void* server = nullptr;
    api.OCIHandleAlloc(environment, &errors, oci::OCI_HTYPE_ERROR, 0, nullptr);
    api.OCIHandleAlloc(environment, &server, oci::OCI_HTYPE_SERVER, 0, nullptr);
    const char nowhere[] = "nowhere";
    EXPECT_EQ(api.OCIServerAttach(static_cast<oci::OCIServer*>(server),
                                  static_cast<oci::OCIError*>(errors),
                                  reinterpret_cast<const oci::OraText*>(nowhere), 7, 0),
              oci::OCI_ERROR);
    oci::sb4 code = 0;
    oci::OraText text[512] = {};
    api.OCIErrorGet(errors, 1, nullptr, &code, text, sizeof text, oci::OCI_HTYPE_ERROR);
    api.OCIHandleFree(environment, oci::OCI_HTYPE_ENV);
    StandinDatabase::setEnvironmentVariable("NLS_LANG", "");
    EXPECT_STREQ(reinterpret_cast<const char*>(text),
                 "ORA-12154: TNS: Angegebener Connect Identifier konnte nicht aufgel\xF6st "
                 "werden\n");
}

namespace {

// Counts SCOTT's objects of the name and type, both bound as typed.
int countObjectsOfType(DBConnect& connection, std::string name, std::string type) {
    int count = -1;
    DBStmt query(&connection, "SELECT COUNT(1) FROM USER_OBJECTS WHERE OBJECT_NAME = :1 "
                              "AND OBJECT_TYPE = :2");
    query.bindByPos(1, &name[0], static_cast<int>(name.size()));
    query.bindByPos(2, &type[0], static_cast<int>(type.size()));
    query.defineByPos(1, &count);
    query.execute();
    return count;
}

} // namespace

TEST_F(OracleTest, ViewsAndSynonymsCountByTheirTypeAndViewsListTheirColumns) {
    DBConnect connection;
    connect(connection);
    run(connection, "CREATE TABLE  T (NAME VARCHAR2(10 CHAR))");
    database.addView("SCOTT", "V", {{"NAME", 10}, {"CITY", 5}});
    database.addObject("SCOTT", "S", "SYNONYM");
    EXPECT_EQ(countObjectsOfType(connection, "T", "TABLE"), 1);
    EXPECT_EQ(countObjectsOfType(connection, "T", "VIEW"), 0);
    EXPECT_EQ(countObjectsOfType(connection, "V", "VIEW"), 1);
    EXPECT_EQ(countObjectsOfType(connection, "V", "TABLE"), 0);
    EXPECT_EQ(countObjectsOfType(connection, "S", "SYNONYM"), 1);
    EXPECT_EQ(countObjectsOfType(connection, "S", "TABLE"), 0);
    EXPECT_EQ(countObjects(connection, "V"), 1);
    // USER_TAB_COLUMNS lists a view's columns as a table's; the view takes its name, and it
    // is no table to drop.
    EXPECT_EQ(columnAt(connection, "V", "2"), "CITY VARCHAR2 5 C 5 2");
    EXPECT_EQ(createFailure(connection, "CREATE TABLE  V (A VARCHAR2(1 ))"),
              "955|ORA-00955: name is already used by an existing object\n");
    EXPECT_EQ(createFailure(connection, "DROP TABLE V"),
              "942|ORA-00942: table or view does not exist\n");
}

TEST_F(OracleTest, NamesThatAreNoTextOfTheDatabasesSetAreRefused) {
    database.setCharacterSet("AL32UTF8");
    DBConnect connection;
    connect(connection);
    const std::string invalid = "911|ORA-00911: invalid character\n";
    // A name cut inside its last character (З, then the first byte of А), and one holding the
    // replacement character that stands for bytes no set could read.
    EXPECT_EQ(createFailure(connection, "CREATE TABLE  X\xD0\x97\xD0$NEW1 (A VARCHAR2(1 ))"),
              invalid);
    EXPECT_EQ(createFailure(connection, "CREATE TABLE  T (A\xEF\xBF\xBD VARCHAR2(1 ))"), invalid);
    run(connection, "CREATE TABLE  X\xD0\x97\xD0\x90$NEW1 (A VARCHAR2(1 ))");
    EXPECT_EQ(createFailure(connection, "ALTER TABLE X\xD0\x97\xD0\x90$NEW1 RENAME TO X\xD0"),
              invalid);
    EXPECT_EQ(database.tableNames("SCOTT"), std::vector<std::string>{"X\xD0\x97\xD0\x90$NEW1"});

    // A Windows database lacks Cyrillic letters: they arrive as its replacement character.
    StandinDatabase western("WESTERN");
    western.addUser("SCOTT", "tiger");
    western.useEnvironment();
    DBConnect westernConnection;
    westernConnection.connect("scott", "tiger", "western");
    EXPECT_EQ(createFailure(westernConnection, "CREATE TABLE  \xD0\x97 (A VARCHAR2(1 ))"), invalid);
    run(westernConnection, "CREATE TABLE  \xC3\x9C (A VARCHAR2(1 ))");
    EXPECT_EQ(western.tableNames("SCOTT"), std::vector<std::string>{"\xDC"});
}
