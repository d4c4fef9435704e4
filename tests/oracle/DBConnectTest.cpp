// DBConnect against the stand-in client: library loading, refused connects, call order.
#include "OracleTestFixture.h"

#include "oracle/OciEnvironment.h"
#include "platform/DynamicLibrary.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

using standin_test::StandinDatabase;

namespace {

// Expects that connecting fails as a missing client library does, with `text`, and that a
// statement cannot be made on the connection afterwards.
void expectLibraryMissing(const std::string& text) {
    DBConnect connection;
    EXPECT_THROW(connection.connect("scott", "tiger", "orcl"), DBConnect::OtherException);
    EXPECT_EQ(connection.errorText(), text);
    EXPECT_EQ(connection.errorCode(), -1);
    EXPECT_THROW(DBStmt(&connection, "SELECT COUNT(1) FROM USER_OBJECTS WHERE OBJECT_NAME = :1"),
                 DBStmt::OtherException);
    EXPECT_EQ(connection.errorText(), text);
    EXPECT_FALSE(connection.isConnected());
}

} // namespace

TEST_F(OracleTest, MissingOrIncompleteClientLibraryCountsAsNotLoaded) {
    DBConnect neverConnected;
    EXPECT_STREQ(neverConnected.errorText(), "");
    EXPECT_EQ(neverConnected.errorCode(), 0);
    EXPECT_THROW(DBStmt(&neverConnected, "COMMIT"), DBStmt::OtherException);

    StandinDatabase::setEnvironmentVariable("MARLIN_OCI_LIBRARY", "no-such-oracle-client.dll");
    const std::string partial = MARLIN_PARTIAL_CLIENT;
#if defined(_WIN32)
    expectLibraryMissing("Can't load oci.dll");
    // A library that exports all but OCITransRollback.
    StandinDatabase::setEnvironmentVariable("MARLIN_OCI_LIBRARY", partial);
    expectLibraryMissing("Can't load oci.dll");
#else
    // Elsewhere the loader's own words and the names tried.
    expectLibraryMissing("Can't load the Oracle client library: no library of these names was "
                         "found\nNames tried: no-such-oracle-client.dll");
    StandinDatabase::setEnvironmentVariable("MARLIN_OCI_LIBRARY", partial);
    expectLibraryMissing("Can't load the Oracle client library: " + partial +
                         " has no entry point OCITransRollback\nNames tried: " + partial);
#endif
}

TEST_F(OracleTest, WindowsBuildLoadsOciDllByName) {
#if defined(_WIN32)
    EXPECT_EQ(platform::oracleClientLibraryNames(), std::vector<std::string>{"OCI.DLL"});
#else
    EXPECT_EQ(platform::oracleClientLibraryNames(),
              std::vector<std::string>{StandinDatabase::standinLibraryPath()});
#endif
    DBConnect connection;
    connect(connection);
    EXPECT_TRUE(connection.isConnected());
    EXPECT_EQ(connection.errorCode(), 0);
}

TEST_F(OracleTest, RefusedConnectsReportOracleTexts) {
    {
        DBConnect connection;
        EXPECT_THROW(connection.connect("scott", "TIGER", "orcl"), DBConnect::OtherException);
        EXPECT_STREQ(connection.errorText(),
                     "ORA-01017: invalid username/password; logon denied\n");
        EXPECT_EQ(connection.errorCode(), 1017);
        EXPECT_FALSE(connection.isConnected());
    }
    {
        DBConnect connection;
        EXPECT_THROW(connection.connect("scott", "tiger", "orcl2"), DBConnect::OtherException);
        EXPECT_STREQ(connection.errorText(),
                     "ORA-12154: TNS:could not resolve the connect identifier specified\n");
        EXPECT_EQ(connection.errorCode(), 12154);
    }
    {
        // User names and connect identifiers compare without case.
        DBConnect connection;
        connection.connect("Scott", "tiger", "ORCL");
        EXPECT_TRUE(connection.isConnected());
    }
    // Failed connects leave nothing behind but the environment of nobody.
    EXPECT_EQ(StandinDatabase::liveHandleCount(), 0);
}

TEST_F(OracleTest, AConnectionIsOneSessionOfItsUserAndLeavesNothingBehind) {
    {
        DBConnect connection;
        connect(connection);
        EXPECT_TRUE(connection.isConnected());
        // The session is SCOTT's own: what it creates is in SCOTT's schema.
        run(connection, "CREATE TABLE  T (A VARCHAR2(4 CHAR)                 )");
        char value[] = "kept";
        {
            DBStmt insert(&connection, "INSERT INTO T VALUES( :1   )");
            insert.bindByPos(1, value, 4);
            insert.execute();
        }
        EXPECT_TRUE(table("T").rows.empty()) << "not committed yet";
        // Connecting again ends the first session, which commits its work as Oracle's does.
        connect(connection);
        EXPECT_EQ(table("T").rows.size(), 1u);
        run(connection, "CREATE TABLE  U (B VARCHAR2(1 CHAR)                 )");
        EXPECT_TRUE(table("U").rows.empty());

        connection.disconnect();
        EXPECT_FALSE(connection.isConnected());
    }
    // Every handle went with the connection.
    EXPECT_EQ(StandinDatabase::liveHandleCount(), 0);

    // A refused logon ends no session, but the attach it made is undone.
    StandinDatabase::recordCalls(true);
    {
        DBConnect connection;
        EXPECT_THROW(connection.connect("scott", "wrong", "orcl"), DBConnect::OtherException);
    }
    std::string log = StandinDatabase::callLog();
    StandinDatabase::recordCalls(false);
    EXPECT_EQ(log.find("OCISessionEnd"), std::string::npos) << log;
    EXPECT_NE(log.find("OCISessionBegin 1 0\nOCIErrorGet 1 2\nOCIServerDetach 0\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(StandinDatabase::liveHandleCount(), 0);
}

TEST_F(OracleTest, AnEnvironmentTheClientRefusesEndsTheConnectWithItsReason) {
    // Oracle's header wants both character sets zero or both set: a mixed pair gets no
    // environment at all.
    std::optional<oci::OciEntryPoints> api = oci::loadOciLibrary();
    ASSERT_TRUE(api);
    for (oci::ub2 national : {oci::ub2{0}, oci::ub2{4321}}) {
        oci::OCIEnv* environment = reinterpret_cast<oci::OCIEnv*>(&national);
        EXPECT_EQ(api->OCIEnvNlsCreate(&environment, oci::OCI_THREADED, nullptr, nullptr, nullptr,
                                       nullptr, 0, nullptr, oci::kAl32Utf8, national),
                  oci::OCI_ERROR)
            << national;
        EXPECT_EQ(environment, nullptr);
    }
    EXPECT_EQ(StandinDatabase::liveHandleCount(), 0);

    // A client that makes the environment but refuses it leaves the reason on it; the
    // connect ends with that, not with a later call's invalid handle.
    StandinDatabase::setFailRules("environment=12705");
    DBConnect connection;
    EXPECT_THROW(connection.connect("scott", "tiger", "orcl"), DBConnect::OtherException);
    StandinDatabase::setFailRules("");
    EXPECT_STREQ(connection.errorText(),
                 "ORA-12705: Cannot access NLS data files or invalid environment specified\n");
    EXPECT_EQ(connection.errorCode(), 12705);
    EXPECT_FALSE(connection.isConnected());
    EXPECT_THROW(DBStmt(&connection, "SELECT COUNT(1) FROM USER_OBJECTS WHERE OBJECT_NAME = :1"),
                 DBStmt::OtherException);
    EXPECT_EQ(StandinDatabase::liveHandleCount(), 0);
    // The next connect makes a new environment.
    connect(connection);
    EXPECT_TRUE(connection.isConnected());
}

TEST_F(OracleTest, ResetErrorHandleKeepsLastResultsButDropsTheRecord) {
    DBConnect connection;
    EXPECT_THROW(connection.connect("scott", "wrong", "orcl"), DBConnect::OtherException);
    EXPECT_EQ(connection.errorCode(), 1017);
    connection.resetErrorHandle();
    // The new handle has no record, so the text stays as it was and the code reads 0.
    EXPECT_STREQ(connection.errorText(), "ORA-01017: invalid username/password; logon denied\n");
    EXPECT_EQ(connection.errorCode(), 0);
    EXPECT_STREQ(connection.errorText(), "");
}

TEST_F(OracleTest, InjectedLogonFailureAndRetryOnANewConnection) {
    StandinDatabase::setFailRules("logon=28000");
    DBConnect locked;
    EXPECT_THROW(connect(locked), DBConnect::OtherException);
    EXPECT_STREQ(locked.errorText(), "ORA-28000: the account is locked\n");

    StandinDatabase::setFailRules("");
    DBConnect connection;
    connect(connection);
    EXPECT_TRUE(connection.isConnected());
}

TEST_F(OracleTest, ALogonWithAWarningIsALogon) {
    StandinDatabase::setFailRules("logon=28002");
    StandinDatabase::recordCalls(true);
    {
        DBConnect connection;
        connect(connection);
        EXPECT_TRUE(connection.isConnected());
        EXPECT_EQ(connection.logonWarning(), "ORA-28002: the password will expire within 7 days");
        // The warning is not left on the handle to be read as the next call's error.
        EXPECT_EQ(connection.errorCode(), 0);
    }
    EXPECT_NE(StandinDatabase::callLog().find("OCISessionEnd"), std::string::npos);
    StandinDatabase::recordCalls(false);

    // Only a logon that succeeds comes with the warning.
    StandinDatabase::setFailRules("logon=28011");
    DBConnect refused;
    EXPECT_THROW(refused.connect("scott", "TIGER", "orcl"), DBConnect::OtherException);
    EXPECT_EQ(refused.errorCode(), 1017);
    DBConnect expiring;
    connect(expiring);
    EXPECT_EQ(expiring.logonWarning(),
              "ORA-28011: the account will expire soon; change your password now");
}

namespace {

std::function<void()> duringExecute;

void runDuringExecute(unsigned) {
    std::function<void()> action = std::move(duringExecute);
    duringExecute = nullptr;
    if (action)
        action();
}

// Returns once `count` OCI calls are in progress (the others wait for the stand-in's lock).
void waitForCallsInside(int count) {
    for (int tries = 0; tries < 10000 && StandinDatabase::callsInside() < count; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// Runs `secondThread` on a new thread while this one is inside OCIStmtExecute on
// `connection`, so that both threads are inside OCI at once; joins it afterwards.
void overlapWithExecute(DBConnect& connection, std::function<void()> secondThread) {
    std::thread other;
    duringExecute = [&] {
        other = std::thread(secondThread);
        waitForCallsInside(2);
    };
    StandinDatabase::setExecuteObserver(runDuringExecute);
    DBStmt statement(&connection, "SELECT COUNT(1) FROM USER_OBJECTS WHERE OBJECT_NAME = :1");
    char name[] = "T";
    statement.bindByPos(1, name, 1);
    statement.execute();
    StandinDatabase::setExecuteObserver(nullptr);
    other.join();
}

} // namespace

TEST_F(OracleTest, ConnectionsOfTwoThreadsMayBeInsideOciAtOnce) {
    // A stopped load's worker may still be ending while a new load connects on another.
    DBConnect first;
    connect(first);
    bool secondConnected = false;
    overlapWithExecute(first, [&] {
        DBConnect second;
        try {
            connect(second);
        } catch (const DBConnect::OtherException&) {
        }
        secondConnected = second.isConnected();
    });
    EXPECT_TRUE(secondConnected);
    EXPECT_EQ(StandinDatabase::liveHandleCount(), 5);
}

// Not on the fixture: each death test runs again in a child process that dies without
// removing what it made.
TEST(StandinStrictnessDeathTest, UndefinedUsesOfOciEndTheProcessNamingTheCall) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    StandinDatabase::setEnvironmentVariable("MARLIN_OCI_LIBRARY",
                                            StandinDatabase::standinLibraryPath());
    const oci::OciEntryPoints api = *oci::loadOciLibrary();
    oci::OCIEnv* environment = nullptr;
    api.OCIEnvNlsCreate(&environment, oci::OCI_THREADED, nullptr, nullptr, nullptr, nullptr, 0,
                        nullptr, 178, 178);
    void* errors = nullptr;
    api.OCIHandleAlloc(environment, &errors, oci::OCI_HTYPE_ERROR, 0, nullptr);
    api.OCIHandleFree(errors, oci::OCI_HTYPE_ERROR);
    const auto undefinedUse = ::testing::ExitedWithCode(86);
    EXPECT_EXIT(api.OCIHandleFree(errors, oci::OCI_HTYPE_ERROR), undefinedUse,
                "OCIHandleFree on a handle that was freed before");
    oci::sb4 code = 0;
    EXPECT_EXIT(api.OCIErrorGet(errors, 1, nullptr, &code, nullptr, 0, oci::OCI_HTYPE_ERROR),
                undefinedUse, "OCIErrorGet on a handle that was freed before");
    // Freeing the environment frees what was made from it.
    api.OCIHandleAlloc(environment, &errors, oci::OCI_HTYPE_ERROR, 0, nullptr);
    api.OCIHandleFree(environment, oci::OCI_HTYPE_ENV);
    EXPECT_EXIT(api.OCIHandleFree(errors, oci::OCI_HTYPE_ERROR), undefinedUse,
                "OCIHandleFree on a handle that was freed before");

    // A thread makes an environment without OCI_THREADED while another is inside OCI.
    EXPECT_EXIT(
        {
            StandinDatabase database;
            database.addUser("SCOTT", "tiger");
            database.useEnvironment();
            DBConnect connection;
            connection.connect("scott", "tiger", "orcl");
            // The query needs no files of the database, and this process dies before its
            // destructor could remove them.
            std::filesystem::remove_all(database.rootFolder());
            overlapWithExecute(connection, [&api] {
                oci::OCIEnv* unthreaded = nullptr;
                api.OCIEnvNlsCreate(&unthreaded, oci::OCI_DEFAULT, nullptr, nullptr, nullptr,
                                    nullptr, 0, nullptr, 178, 178);
            });
        },
        undefinedUse,
        "OCIEnvNlsCreate and OCIStmtExecute ran at once on two threads, on an environment not "
        "created with OCI_THREADED");
}

TEST_F(OracleTest, ABreakEndsAStalledCallFromAnotherThreadAndTheSessionGoesOn) {
    StandinDatabase::setFailRules("commit#1=block");
    DBConnect connection;
    connect(connection);
    run(connection, "CREATE TABLE  T (A VARCHAR2(2 ))");
    char value[2] = {'o', 'k'};
    DBStmt insert(&connection, "INSERT INTO T VALUES( :1   )");
    insert.bindByPos(1, value, 2);
    insert.executeArray(1);
    EXPECT_FALSE(connection.wasInterrupted());

    int code = 0;
    std::string text;
    std::thread stalled([&] {
        try {
            insert.commit();
        } catch (const DBStmt::OtherException&) {
            code = insert.errorCode();
            text = insert.errorText();
        }
    });
    ASSERT_TRUE(database.waitUntilACallIsBlocked());
    StandinDatabase::recordCalls(true);
    DBConnect::breakCallsInProgress();
    stalled.join();
    const std::string calls = StandinDatabase::callLog();
    StandinDatabase::recordCalls(false);
    EXPECT_EQ(code, 1013);
    EXPECT_EQ(text, "ORA-01013: user requested cancel of current operation\n");
    EXPECT_TRUE(connection.wasInterrupted());
    // The broken call's thread may read its error between the two.
    const std::size_t breakCall = calls.find("OCIBreak\n");
    EXPECT_NE(breakCall, std::string::npos) << calls;
    EXPECT_NE(calls.find("OCIReset\n", breakCall), std::string::npos) << calls;

    // The session outlives the break: the row is still pending, and a break while nothing
    // is in progress changes nothing for the next call.
    EXPECT_TRUE(table("T").rows.empty());
    DBConnect::breakCallsInProgress();
    insert.commit();
    EXPECT_EQ(table("T").rows.size(), 1u);
    connection.disconnect();
    // The statement, its bind and the environment; the breaks' error handles are gone.
    EXPECT_EQ(StandinDatabase::liveHandleCount(), 3);
}
