// A stand-in database with user SCOTT and a folder of tables, for marlin-load's runs of whole
// folders.
#pragma once

#include "support/ClientTable.h"
#include "support/StandinDatabase.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

class FolderLoadTest : public ::testing::Test {
  protected:
    FolderLoadTest() : folder(database.rootFolder() + "/tables") {
        database.addUser("SCOTT", "Tiger");
        database.useEnvironment();
        std::filesystem::create_directory(folder);
    }
    ~FolderLoadTest() override { standin_test::StandinDatabase::setFailRules(""); }

    // A file of the folder, as marlin-load names it.
    std::string inFolder(const std::string& name) const {
#if defined(_WIN32)
        return folder + "\\" + name;
#else
        return folder + "/" + name;
#endif
    }

    // The committed rows' names, in order.
    std::vector<std::string> loadedNames(const std::string& table) const {
        std::vector<std::string> names;
        for (const auto& row : database.readTable("SCOTT", table).rows)
            names.push_back(row.at(0).value_or("NULL"));
        return names;
    }

    // Names of the form clientName(first) and on.
    static std::vector<std::string> clientNames(int first, int count) {
        std::vector<std::string> names;
        for (int record = first; record < first + count; ++record)
            names.push_back(clientName(record));
        return names;
    }

    // A client table whose names start at `first`.
    void writeClients(const std::string& path, int first, int count) const {
        DbfWriter table = wideClientTable(0);
        for (int record = first; record < first + count; ++record)
            table.addRecord({clientName(record)});
        ASSERT_TRUE(table.writeTo(path));
    }

    standin_test::StandinDatabase database;
    std::string folder;
};
