// DBConnect against the stand-in client: library loading, refused connects, call order.
#include "OracleTestFixture.h"

#include "oracle/OciEnvironment.h"
#include "oracle/OciLibrary.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <thread>

#if !defined(_WIN32)
#include <signal.h>
#endif

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
    EXPECT_EQ(oci::oracleClientLibraryNames(), std::vector<std::string>{"OCI.DLL"});
#else
    EXPECT_EQ(oci::oracleClientLibraryNames(),
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

TEST_F(OracleTest, NoConnectStringMeansTheClientsDefaultDatabase) {
    // As Oracle's client: TWO_TASK (LOCAL on Windows), else the local database ORACLE_SID
    // names, else nothing to attach to.
#if defined(_WIN32)
    const char* remote = "LOCAL";
#else
    const char* remote = "TWO_TASK";
#endif
    {
        DBConnect connection;
        EXPECT_THROW(connection.connect("scott", "tiger", ""), DBConnect::OtherException);
        EXPECT_STREQ(connection.errorText(),
                     "ORA-12162: TNS:net service name is incorrectly specified\n");
    }
    StandinDatabase::setEnvironmentVariable("ORACLE_SID", "orcl");
    DBConnect local;
    local.connect("scott", "tiger", "");
    EXPECT_TRUE(local.isConnected());
    StandinDatabase::setEnvironmentVariable(remote, "nowhere");
    DBConnect remoteFirst;
    EXPECT_THROW(remoteFirst.connect("scott", "tiger", ""), DBConnect::OtherException);
    EXPECT_EQ(remoteFirst.errorCode(), 12154);
    StandinDatabase::setEnvironmentVariable(remote, "");
    StandinDatabase::setEnvironmentVariable("ORACLE_SID", "");
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
    EXPECT_TRUE(connection.callWasCancelled());
    // A break of a blocking call needs no reset.
    EXPECT_NE(calls.find("OCIBreak\n"), std::string::npos) << calls;
    EXPECT_EQ(calls.find("OCIReset"), std::string::npos) << calls;

    // The session outlives the break: the row is still pending, and a break while nothing
    // is in progress changes nothing for the next call.
    EXPECT_TRUE(table("T").rows.empty());
    DBConnect::breakCallsInProgress();
    insert.commit();
    EXPECT_EQ(table("T").rows.size(), 1u);
    EXPECT_EQ(connection.sessionLoss(), oci::SessionLoss::None);
    connection.disconnect();
    // The environment, for the statement; its handle went with the connection, the breaks'
    // error handles with the breaks.
    EXPECT_EQ(StandinDatabase::liveHandleCount(), 1);
}

namespace {

// A connection with table T and one row inserted, whose commit a rule may hold.
struct PendingRow {
    explicit PendingRow(const std::string& table = "T") {
        connection.connect("scott", "tiger", "orcl");
        DBStmt create(&connection, ("CREATE TABLE  " + table + " (A VARCHAR2(2 ))").c_str());
        create.execute();
        insertText = "INSERT INTO " + table + " VALUES( :1   )";
        insert = std::make_unique<DBStmt>(&connection, insertText.c_str());
        insert->bindByPos(1, value, 2);
        insert->executeArray(1);
    }
    DBConnect connection;
    char value[2] = {'o', 'k'};
    std::string insertText;
    std::unique_ptr<DBStmt> insert;
};

// Commits on another thread, where a rule holds the commit; the error code it ended with.
std::thread commitOnAnotherThread(DBStmt& insert, int& code) {
    return std::thread([&insert, &code] {
        try {
            insert.commit();
        } catch (const DBStmt::OtherException&) {
            code = insert.errorCode();
        }
    });
}

} // namespace

TEST_F(OracleTest, ABreakTheNetworkLosesHoldsUpNoOtherThreadsConnection) {
    // The break never reaches the server: it returns only when the stalled commit ends some
    // other way.
    StandinDatabase::setFailRules("commit#1=block;break#1=lost");
    PendingRow pending;
    StandinDatabase::setFailRules("");
    int code = 0;
    std::thread stalled = commitOnAnotherThread(*pending.insert, code);
    ASSERT_TRUE(database.waitUntilACallIsBlocked());
    StandinDatabase::recordCalls(true);
    std::thread breaker([] { DBConnect::breakCallsInProgress(); });
    for (int tries = 0;
         tries < 10000 && StandinDatabase::callLog().find("OCIBreak") == std::string::npos; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    StandinDatabase::recordCalls(false);

    // Meanwhile another thread makes a connection, works on it and ends it.
    auto other = std::async(std::launch::async, [this] {
        DBConnect another;
        connect(another);
        run(another, "CREATE TABLE  U (A VARCHAR2(2 ))");
        another.disconnect();
    });
    const bool otherDone = other.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    // The client's own Ctrl+C ends the stalled commit, and the lost break returns with it.
    StandinDatabase::interruptCalls();
    stalled.join();
    breaker.join();
    other.wait();
    EXPECT_TRUE(otherDone) << "a connection waited for a break";
    EXPECT_EQ(code, 1013);
    EXPECT_EQ(database.tableNames("SCOTT"), (std::vector<std::string>{"T", "U"}));
}

TEST_F(OracleTest, ABreakKeepsTheHandlesItUsesWhileTheirConnectionEnds) {
    // The broken commit's thread ends its connection at once, while the break may still be
    // inside OCIBreak; the stand-in ends the process if a handle in use there is freed.
    StandinDatabase::setFailRules("commit#1=block");
    auto pending = std::make_unique<PendingRow>();
    int code = 0;
    std::thread stalled([&] {
        try {
            pending->insert->commit();
        } catch (const DBStmt::OtherException&) {
            code = pending->insert->errorCode();
            pending.reset();
        }
    });
    ASSERT_TRUE(database.waitUntilACallIsBlocked());
    DBConnect::breakCallsInProgress();
    stalled.join();
    EXPECT_EQ(code, 1013);
    EXPECT_EQ(StandinDatabase::liveHandleCount(), 0);
}

#if !defined(_WIN32)

TEST_F(OracleTest, OnLinuxTheClientTakesCtrlCWhileConnectedAndCancelsTheCallInProgress) {
    struct sigaction before {};
    sigaction(SIGINT, nullptr, &before);
    StandinDatabase::setFailRules("commit#1=block");
    {
        PendingRow pending;
        struct sigaction connected {};
        sigaction(SIGINT, nullptr, &connected);
        EXPECT_NE(connected.sa_handler, before.sa_handler);
        // With no call in progress the Ctrl+C is taken, and nothing else happens.
        raise(SIGINT);
        int code = 0;
        std::thread stalled = commitOnAnotherThread(*pending.insert, code);
        ASSERT_TRUE(database.waitUntilACallIsBlocked());
        raise(SIGINT);
        stalled.join();
        EXPECT_EQ(code, 1013);
        EXPECT_TRUE(pending.connection.callWasCancelled());
        EXPECT_FALSE(pending.connection.wasInterrupted());
    }
    // The handler goes with the connection.
    struct sigaction after {};
    sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

#endif

TEST(SessionLoss, TheDeadSessionErrorsOfOraclesDriverLayerSayWhatTheirCallDid) {
    using oci::SessionLoss;
    // The link or the server's process went during the call; or the call came too late.
    for (int code : {3113, 3135, 3122, 12537, 12547, 12570, 12583, 28511, 28,  31,    45,
                     600,  602,  603,  1089,  1092,  1041,  1043,  378,   609, 27146, 56600})
        EXPECT_EQ(oci::sessionLossOf(code), SessionLoss::OutcomeUnknown) << code;
    for (int code : {1012, 3114, 12153, 22, 2396})
        EXPECT_EQ(oci::sessionLossOf(code), SessionLoss::NothingDone) << code;
    // Errors of a statement, a value or a commit the server refused leave the session.
    for (int code : {0, 1, 942, 1013, 1653, 2091, 12899, 24343, 3112, 3136, 12536, 12538})
        EXPECT_EQ(oci::sessionLossOf(code), SessionLoss::None) << code;
}

TEST_F(OracleTest, ASessionFoundGoneIsNeverEndedAndSaysWhatItsFailedCallDid) {
    using oci::SessionLoss;
    const std::pair<const char*, SessionLoss> cases[] = {
        {"commit#1=3113", SessionLoss::OutcomeUnknown},
        {"commit#1=28", SessionLoss::OutcomeUnknown},
        {"commit#1=1089", SessionLoss::OutcomeUnknown},
        {"commit#1=3122", SessionLoss::OutcomeUnknown},
        {"commit#1=12537", SessionLoss::OutcomeUnknown},
        {"commit#1=12583", SessionLoss::OutcomeUnknown},
        {"commit#1=28511", SessionLoss::OutcomeUnknown},
        // An error no list names, after which the client's server handle is no longer normal.
        {"commit#1=25408 gone", SessionLoss::OutcomeUnknown},
        {"commit#1=1012", SessionLoss::NothingDone},
        {"commit#1=3114", SessionLoss::NothingDone},
        {"commit#1=2396", SessionLoss::NothingDone},
        {"commit#1=1653", SessionLoss::None},
    };
    int table = 0;
    for (const auto& [rule, loss] : cases) {
        SCOPED_TRACE(rule);
        StandinDatabase::setFailRules(rule);
        PendingRow pending("T" + std::to_string(table++));
        EXPECT_THROW(pending.insert->commit(), DBStmt::OtherException);
        EXPECT_EQ(pending.connection.sessionLoss(), loss);
        const std::string text = pending.insert->errorText();
        EXPECT_EQ(pending.connection.sessionLossText(), loss == SessionLoss::None ? "" : text);
        StandinDatabase::recordCalls(true);
        pending.connection.disconnect();
        const std::string calls = StandinDatabase::callLog();
        StandinDatabase::recordCalls(false);
        EXPECT_EQ(calls.find("OCISessionEnd") == std::string::npos, loss != SessionLoss::None)
            << calls;
    }
}
