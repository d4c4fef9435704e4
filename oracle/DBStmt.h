// One prepared SQL statement on a DBConnect: binds, defines, executions, commit, rollback.
#pragma once

#include "oracle/DBConnect.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class DBStmt {
  public:
    // Thrown by value on every failure; it carries nothing: read errorText() and
    // errorCode() of the statement that threw (or of any statement of its connection).
    class OtherException {};

    // Prepares `sqlText` (zero-terminated; the caller keeps it valid while the statement is
    // used) with OCIStmtPrepare2 where the client has it, else in a statement handle of its
    // own with OCIStmtPrepare. Throws OtherException when the connection's client library is
    // not loaded (the connection's errorText() then says "Can't load oci.dll") or Oracle
    // refuses to prepare (the connection's errorText() says why): the exception is all the
    // caller gets. Errors in the text show at the first execution. The statement may outlive
    // its connection, but then only its destructor may be called; its connection's
    // disconnect() releases its handle.
    DBStmt(DBConnect* connection, const char* sqlText);
    // Frees the statement handle, and with it its bind and define handles.
    ~DBStmt();
    DBStmt(const DBStmt&) = delete;
    DBStmt& operator=(const DBStmt&) = delete;

    // How the elements of a bound buffer are read.
    enum class BindType {
        Text,    // characters (SQLT_CHR), converted into the database's character set
        Integer, // a native signed integer of the element's size (SQLT_INT)
        Number,  // a length byte, then Oracle's NUMBER bytes: exponent, base-100 digits
                 // (SQLT_VNU, 22 bytes an element)
        Date,    // seven bytes: century + 100, year of it + 100, month, day, hour + 1,
                 // minute + 1, second + 1 (SQLT_DAT)
        Double,  // a native double (SQLT_BDOUBLE)
        Bytes,   // bytes taken as they are (SQLT_BIN)
    };

    // Binds `width` bytes of character data (SQLT_CHR) at `buffer` to placeholder
    // `position` (from 1). For an array execution row r is read at buffer + r * width.
    // `actualLengths`, when given, holds one length per row that Oracle takes instead of
    // `width` (0 stores NULL). Buffer and lengths must stay in place until the last
    // execution. Binding a position again replaces its bind. Throws OtherException when
    // Oracle refuses the bind.
    void bindByPos(int position, void* buffer, int width, unsigned short* actualLengths = nullptr);
    // The same for elements of `type`; `indicators`, when given, holds one per row, -1 for
    // NULL.
    void bindByPos(int position, void* buffer, int width, BindType type, short* indicators,
                   unsigned short* actualLengths);

    // The values of one column handed to Oracle row by row while an execution runs, each in
    // one piece: row r is `lengths[r]` bytes from `bytes + offsets[r]`, NULL where
    // `indicators[r]` is -1. The arrays must stay in place until the last execution.
    struct WholeValues {
        const char* bytes = nullptr;
        const std::size_t* offsets = nullptr;
        const unsigned* lengths = nullptr;
        short* indicators = nullptr;
        std::size_t rows = 0;
    };
    // Binds `values` to placeholder `position` for CLOB and BLOB columns, each value of any
    // length below 2 GB: the client asks for them during the execution (OCI_DATA_AT_EXEC and
    // OCIBindDynamic), so no array of equal elements is laid out. Binding the position again
    // replaces the bind. Throws OtherException when Oracle refuses the bind.
    void bindWholeValuesByPos(int position, BindType type, const WholeValues& values);
    // Defines select-list column `position` (from 1) as a 32-bit integer written to
    // `*target` by execute(). `indicator`, when given, receives -1 for a NULL (which without
    // it is an error). Throws OtherException when Oracle refuses.
    void defineByPos(int position, int* target, short* indicator = nullptr);
    // Defines select-list column `position` as text written to `buffer` (`bytes` bytes, the
    // terminating zero included; a longer value is cut). `*indicator` receives -1 for NULL,
    // 0 for a whole value. Throws OtherException when Oracle refuses.
    void defineText(int position, char* buffer, int bytes, short* indicator);

    // Executes once (a query fetches its first row into the defines). Warnings 24344 and
    // 24345 count as success; any other error or warning throws OtherException.
    void execute();
    // Executes a query once: true when its first row is in the defines, false when it has
    // no rows. Failures as execute().
    bool executeQuery();
    // Executes for `rows` rows (0 or more) of the bound arrays. Warnings 24344, 24345 and
    // 24347 count as success; any other error or warning throws OtherException. After an
    // accepted warning the connection's error handle is replaced; this statement's
    // errorText() still shows the warning, and errorCode() answers 0.
    void executeArray(int rows);

    // Commit or roll back the connection's whole transaction. Throw OtherException on
    // failure.
    void commit();
    void rollback();

    // The first error record on the connection's error handle (Oracle's text, line feed
    // included), or the text stored by this statement for a failure without a record.
    const char* errorText();
    // Its Oracle error number; 0 when the handle holds no record.
    int errorCode();

  private:
    friend class DBConnect;

    const oci::OciEntryPoints& api() const { return environment_->api(); }
    oci::OCIError* errorHandle() const { return connection_->errorHandle_.get(); }
    void prepare(const char* sqlText);
    // Gives the statement handle back to the client (OCIStmtRelease, or OCIHandleFree for a
    // handle of our own), its binds and defines with it.
    void releaseHandle();
    void check(oci::sword status, const char* callName);
    void noteFailure();
    void define(int position, void* target, int bytes, oci::ub2 type, short* indicator);
    oci::sword executeOnce(oci::ub4 iterations);
    void judgeExecution(oci::sword status, bool acceptNullInAggregate);

    // Null once the connection is destroyed.
    DBConnect* connection_;
    // Kept so that the environment outlives the statement handle.
    std::shared_ptr<oci::OciEnvironment> environment_;
    // Null once released.
    oci::OCIStmt* statement_ = nullptr;
    // The handle came from OCIStmtPrepare2 and goes back through OCIStmtRelease.
    bool preparedByTheClient_ = false;
    oci::OciDiagnostics diagnostics_;
    // Owned by the statement handle and freed with it; by position, so that a position bound
    // again keeps its handle.
    std::map<int, oci::OCIBind*> binds_;
    std::vector<oci::OCIDefine*> defines_;
    // What the callbacks of the positions bound by bindWholeValuesByPos() read; a map's
    // elements stay where they are.
    std::map<int, WholeValues> wholeValues_;
};
