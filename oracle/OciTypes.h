// The Oracle Call Interface as Marlin sees it: scalar types, opaque handles, constants and
// the prototypes of the entry points bound at run time.
#pragma once

#include <cstddef>

// Opaque handle types, declared as Oracle's headers declare them: incomplete structs in the
// global namespace. The prototypes below name them, and a function type that named types of
// its own would differ from the client library's, making every call through the table a
// call through a pointer of the wrong type.
struct OCIEnv;
struct OCIError;
struct OCISvcCtx;
struct OCIServer;
struct OCISession;
struct OCIStmt;
struct OCIBind;
struct OCIDefine;
struct OCISnapshot;

namespace oci {

// Scalar types of Oracle's oratypes.h. ub4/sb4/sword are 32 bits on every target (never
// long-dependent); only pointers and size_t change width on x64.
using ub1 = unsigned char;
using sb1 = signed char;
using ub2 = unsigned short;
using sb2 = signed short;
using ub4 = unsigned int;
using sb4 = signed int;
using sword = signed int;
using sb8 = signed long long;
using OraText = unsigned char;

static_assert(sizeof(ub2) == 2 && sizeof(ub4) == 4 && sizeof(sword) == 4 && sizeof(sb8) == 8,
              "OCI scalar types must keep Oracle's widths");

using ::OCIBind;
using ::OCIDefine;
using ::OCIEnv;
using ::OCIError;
using ::OCIServer;
using ::OCISession;
using ::OCISnapshot;
using ::OCIStmt;
using ::OCISvcCtx;

// Return codes.
constexpr sword OCI_SUCCESS = 0;
constexpr sword OCI_SUCCESS_WITH_INFO = 1;
constexpr sword OCI_NO_DATA = 100;
constexpr sword OCI_ERROR = -1;
constexpr sword OCI_INVALID_HANDLE = -2;
constexpr sword OCI_NEED_DATA = 99;
constexpr sword OCI_STILL_EXECUTING = -3123;

// Modes and flags.
constexpr ub4 OCI_DEFAULT = 0x00000000;
constexpr ub4 OCI_THREADED = 0x00000001;
constexpr ub4 OCI_OBJECT = 0x00000002;

// Handle types.
constexpr ub4 OCI_HTYPE_ENV = 1;
constexpr ub4 OCI_HTYPE_ERROR = 2;
constexpr ub4 OCI_HTYPE_SVCCTX = 3;
constexpr ub4 OCI_HTYPE_STMT = 4;
constexpr ub4 OCI_HTYPE_BIND = 5;
constexpr ub4 OCI_HTYPE_DEFINE = 6;
constexpr ub4 OCI_HTYPE_SERVER = 8;
constexpr ub4 OCI_HTYPE_SESSION = 9;

// Attributes.
constexpr ub4 OCI_ATTR_SERVER = 6;
constexpr ub4 OCI_ATTR_SESSION = 7;
constexpr ub4 OCI_ATTR_USERNAME = 22;
constexpr ub4 OCI_ATTR_PASSWORD = 23;

// Credentials, syntax and external data types.
constexpr ub4 OCI_CRED_RDBMS = 1;
constexpr ub4 OCI_NTV_SYNTAX = 1;
constexpr ub2 SQLT_CHR = 1;
constexpr ub2 SQLT_INT = 3;
constexpr ub2 SQLT_STR = 5;
constexpr ub2 SQLT_VNU = 6;      // a length byte, then Oracle's NUMBER bytes; 22 bytes in all
constexpr ub2 SQLT_DAT = 12;     // seven bytes: century, year, month, day, hour, minute, second
constexpr ub2 SQLT_BDOUBLE = 22; // a C double
constexpr ub2 SQLT_BIN = 23;     // bytes, never converted

// Prototypes of the entry points, with Oracle's parameter order and widths.
using OCIEnvNlsCreateFn = sword (*)(OCIEnv** envhpp, ub4 mode, void* ctxp,
                                    void* (*malocfp)(void* ctxp, size_t size),
                                    void* (*ralocfp)(void* ctxp, void* memptr, size_t newsize),
                                    void (*mfreefp)(void* ctxp, void* memptr), size_t xtramemsz,
                                    void** usrmempp, ub2 charset, ub2 ncharset);
using OCIHandleAllocFn = sword (*)(const void* parenth, void** hndlpp, const ub4 type,
                                   const size_t xtramem_sz, void** usrmempp);
using OCIHandleFreeFn = sword (*)(void* hndlp, const ub4 type);
using OCIServerAttachFn = sword (*)(OCIServer* srvhp, OCIError* errhp, const OraText* dblink,
                                    sb4 dblink_len, ub4 mode);
using OCIServerDetachFn = sword (*)(OCIServer* srvhp, OCIError* errhp, ub4 mode);
using OCIAttrSetFn = sword (*)(void* trgthndlp, ub4 trghndltyp, void* attributep, ub4 size,
                               ub4 attrtype, OCIError* errhp);
using OCISessionBeginFn = sword (*)(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 credt,
                                    ub4 mode);
using OCISessionEndFn = sword (*)(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 mode);
using OCIErrorGetFn = sword (*)(void* hndlp, ub4 recordno, OraText* sqlstate, sb4* errcodep,
                                OraText* bufp, ub4 bufsiz, ub4 type);
using OCIStmtPrepareFn = sword (*)(OCIStmt* stmtp, OCIError* errhp, const OraText* stmt,
                                   ub4 stmt_len, ub4 language, ub4 mode);
using OCIBindByPosFn = sword (*)(OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp, ub4 position,
                                 void* valuep, sb4 value_sz, ub2 dty, void* indp, ub2* alenp,
                                 ub2* rcodep, ub4 maxarr_len, ub4* curelep, ub4 mode);
// From the 12.1 clients on: 4-byte lengths and an 8-byte element size.
using OCIBindByPos2Fn = sword (*)(OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp, ub4 position,
                                  void* valuep, sb8 value_sz, ub2 dty, void* indp, ub4* alenp,
                                  ub2* rcodep, ub4 maxarr_len, ub4* curelep, ub4 mode);
using OCIDefineByPosFn = sword (*)(OCIStmt* stmtp, OCIDefine** defnp, OCIError* errhp, ub4 position,
                                   void* valuep, sb4 value_sz, ub2 dty, void* indp, ub2* rlenp,
                                   ub2* rcodep, ub4 mode);
using OCIStmtExecuteFn = sword (*)(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters,
                                   ub4 rowoff, const OCISnapshot* snap_in, OCISnapshot* snap_out,
                                   ub4 mode);
using OCITransCommitFn = sword (*)(OCISvcCtx* svchp, OCIError* errhp, ub4 flags);
using OCITransRollbackFn = sword (*)(OCISvcCtx* svchp, OCIError* errhp, ub4 flags);
using OCIBreakFn = sword (*)(void* hndlp, OCIError* errhp);
using OCIResetFn = sword (*)(void* hndlp, OCIError* errhp);

// Every entry point Marlin binds, for generating the table and its look-up together.
#define MARLIN_OCI_ENTRY_POINTS(V)                                                                 \
    V(OCIEnvNlsCreate)                                                                             \
    V(OCIHandleAlloc)                                                                              \
    V(OCIHandleFree)                                                                               \
    V(OCIServerAttach)                                                                             \
    V(OCIServerDetach)                                                                             \
    V(OCIAttrSet)                                                                                  \
    V(OCISessionBegin)                                                                             \
    V(OCISessionEnd)                                                                               \
    V(OCIErrorGet)                                                                                 \
    V(OCIStmtPrepare)                                                                              \
    V(OCIBindByPos)                                                                                \
    V(OCIDefineByPos)                                                                              \
    V(OCIStmtExecute)                                                                              \
    V(OCITransCommit)                                                                              \
    V(OCITransRollback)                                                                            \
    V(OCIBreak)                                                                                    \
    V(OCIReset)

// Entry points a client may lack; their pointers are then null.
#define MARLIN_OCI_OPTIONAL_ENTRY_POINTS(V) V(OCIBindByPos2)

} // namespace oci
