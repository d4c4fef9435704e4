// One prepared SQL statement on a DBConnect: binds, defines, executions, commit, rollback.
#pragma once

#include "oracle/DBConnect.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class DBStmt {
  public:
    // Thrown by value on every failure; it carries nothing: read errorText() and
    // errorCode() of the statement that threw (or of any statement of its connection).
    class OtherException {};

    // Allocates a statement handle and prepares `sqlText` (zero-terminated; the caller keeps
    // it valid while the statement is used). Throws OtherException only when the
    // connection's client library is not loaded; the exception then is all the caller gets,
    // and the connection's errorText() says "Can't load oci.dll". Errors in the text show
    // at the first execution. The statement may outlive its connection, but then only its
    // destructor may be called.
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

    // True when the client takes elements over 65,535 bytes (OCIBindByPos2, from the 12.1
    // clients on).
    bool bindsLongValues() const { return api().OCIBindByPos2 != nullptr; }
    // Binds elements of `elementBytes` bytes that may each be longer than 65,535 bytes, for
    // CLOB and BLOB columns: through OCIBindByPos2 with the 4-byte `lengths` when the client
    // has it, else through OCIBindByPos with the 2-byte `shortLengths`, which then must all
    // be below 65,536 (and `elementBytes` below 2^31). Throws OtherException when Oracle
    // refuses the bind.
    void bindLongByPos(int position, void* buffer, std::int64_t elementBytes, BindType type,
                       short* indicators, unsigned* lengths, unsigned short* shortLengths);
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
    const oci::OciEntryPoints& api() const { return environment_->api(); }
    oci::OCIError* errorHandle() const { return connection_->errorHandle_.get(); }
    void check(oci::sword status, const char* callName);
    void define(int position, void* target, int bytes, oci::ub2 type, short* indicator);
    oci::sword executeOnce(oci::ub4 iterations);
    void judgeExecution(oci::sword status, bool acceptNullInAggregate);

    DBConnect* connection_;
    // Declared before the statement handle so that the environment outlives it.
    std::shared_ptr<oci::OciEnvironment> environment_;
    oci::OciHandle<oci::OCIStmt, oci::OCI_HTYPE_STMT> statement_;
    oci::OciDiagnostics diagnostics_;
    // Owned by the statement handle and freed with it; by position, so that a position bound
    // again keeps its handle.
    std::map<int, oci::OCIBind*> binds_;
    std::vector<oci::OCIDefine*> defines_;
};
