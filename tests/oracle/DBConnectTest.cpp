// DBConnect against the stand-in client: library loading, refused connects, call order.
#include "OracleTestFixture.h"

#include "platform/DynamicLibrary.h"

using standin_test::StandinDatabase;

namespace {

// Expects that connecting fails as a missing client library does, and that a statement
// cannot be made on the connection afterwards.
void expectLibraryMissing() {
    DBConnect connection;
    EXPECT_THROW(connection.connect("scott", "tiger", "orcl"), DBConnect::OtherException);
    EXPECT_STREQ(connection.errorText(), "Can't load oci.dll");
    EXPECT_EQ(connection.errorCode(), -1);
    EXPECT_THROW(DBStmt(&connection, "SELECT COUNT(1) FROM USER_OBJECTS WHERE OBJECT_NAME = :1"),
                 DBStmt::OtherException);
    EXPECT_STREQ(connection.errorText(), "Can't load oci.dll");
    EXPECT_FALSE(connection.isConnected());
}

} // namespace

TEST_F(OracleTest, MissingOrIncompleteClientLibraryCountsAsNotLoaded) {
    DBConnect neverConnected;
    EXPECT_STREQ(neverConnected.errorText(), "");
    EXPECT_EQ(neverConnected.errorCode(), 0);
    EXPECT_THROW(DBStmt(&neverConnected, "COMMIT"), DBStmt::OtherException);

    StandinDatabase::setEnvironmentVariable("MARLIN_OCI_LIBRARY", "no-such-oracle-client.dll");
    expectLibraryMissing();
    // A library that exports all but OCITransRollback.
    StandinDatabase::setEnvironmentVariable("MARLIN_OCI_LIBRARY", MARLIN_PARTIAL_CLIENT);
    expectLibraryMissing();
}

TEST_F(OracleTest, WindowsBuildLoadsOciDllByName) {
#if defined(_WIN32)
    EXPECT_EQ(platform::oracleClientLibraryName(), "OCI.DLL");
#else
    EXPECT_EQ(platform::oracleClientLibraryName(), StandinDatabase::standinLibraryPath());
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

TEST_F(OracleTest, ConnectAndDisconnectMakeOracleCallsInOrder) {
    StandinDatabase::recordCalls(true);
    {
        DBConnect connection;
        connect(connection);
        EXPECT_EQ(StandinDatabase::callLog(), "OCIInitialize 2\n"
                                              "OCIEnvInit 0\n"
                                              "OCIHandleAlloc 2\n"
                                              "OCIHandleAlloc 8\n"
                                              "OCIHandleAlloc 3\n"
                                              "OCIAttrSet 3 6\n"
                                              "OCIHandleAlloc 9\n"
                                              "OCIServerAttach 0\n"
                                              "OCIAttrSet 9 22\n"
                                              "OCIAttrSet 9 23\n"
                                              "OCISessionBegin 1 0\n"
                                              "OCIAttrSet 3 7\n");
        StandinDatabase::recordCalls(true);
        connection.disconnect();
        EXPECT_FALSE(connection.isConnected());
        EXPECT_EQ(StandinDatabase::callLog(), "OCISessionEnd 0\n"
                                              "OCIServerDetach 0\n"
                                              "OCIHandleFree 8\n"
                                              "OCIHandleFree 3\n"
                                              "OCIHandleFree 9\n"
                                              "OCIHandleFree 2\n");
        StandinDatabase::recordCalls(true);
    }
    // The environment goes with the last of its owners.
    EXPECT_EQ(StandinDatabase::callLog(), "OCIHandleFree 1\n");

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
