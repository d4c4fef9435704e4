// A stand-in database with user SCOTT/tiger, and helpers shared by the Oracle access tests.
#pragma once

#include "oracle/DBConnect.h"
#include "oracle/DBStmt.h"
#include "support/StandinDatabase.h"

#include <gtest/gtest.h>

#include <string>

class OracleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        database.addUser("SCOTT", "tiger");
        database.useEnvironment();
    }

    void connect(DBConnect& connection) { connection.connect("scott", "tiger", "orcl"); }

    // Runs one statement that must succeed.
    void run(DBConnect& connection, const char* sql) {
        DBStmt statement(&connection, sql);
        statement.execute();
    }

    // The committed rows of SCOTT's table.
    standin_test::StoredTable table(const std::string& name) {
        return database.readTable("SCOTT", name);
    }

    standin_test::StandinDatabase database;
};
