// The stand-in's own declarations of the OCI types, constants and exported entry points.
#pragma once

#include <cstddef>

namespace standin {

using ub1 = unsigned char;
using ub2 = unsigned short;
using sb2 = short;
using ub4 = unsigned int;
using sb4 = int;
using sword = int;
using sb8 = long long;
using OraText = unsigned char;

static_assert(sizeof(ub4) == 4 && sizeof(sb4) == 4 && sizeof(ub2) == 2,
              "OCI widths do not depend on the target");

constexpr sword OCI_SUCCESS = 0;
constexpr sword OCI_SUCCESS_WITH_INFO = 1;
constexpr sword OCI_NO_DATA = 100;
constexpr sword OCI_ERROR = -1;
constexpr sword OCI_INVALID_HANDLE = -2;

constexpr ub4 OCI_THREADED = 0x00000001;

constexpr ub4 OCI_HTYPE_ENV = 1;
constexpr ub4 OCI_HTYPE_ERROR = 2;
constexpr ub4 OCI_HTYPE_SVCCTX = 3;
constexpr ub4 OCI_HTYPE_STMT = 4;
constexpr ub4 OCI_HTYPE_BIND = 5;
constexpr ub4 OCI_HTYPE_DEFINE = 6;
constexpr ub4 OCI_HTYPE_SERVER = 8;
constexpr ub4 OCI_HTYPE_SESSION = 9;

constexpr ub4 OCI_ATTR_SERVER = 6;
constexpr ub4 OCI_ATTR_SESSION = 7;
constexpr ub4 OCI_ATTR_USERNAME = 22;
constexpr ub4 OCI_ATTR_PASSWORD = 23;

constexpr ub4 OCI_CRED_RDBMS = 1;
constexpr ub4 OCI_COMMIT_ON_SUCCESS = 0x20;

constexpr ub2 SQLT_CHR = 1;
constexpr ub2 SQLT_INT = 3;
constexpr ub2 SQLT_STR = 5;
constexpr ub2 SQLT_VNU = 6;
constexpr ub2 SQLT_DAT = 12;
constexpr ub2 SQLT_BDOUBLE = 22;
constexpr ub2 SQLT_BIN = 23;

} // namespace standin

#if defined(_WIN32)
#define STANDIN_EXPORT extern "C" __declspec(dllexport)
#else
#define STANDIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Oracle's handle types are opaque to callers; the stand-in hands out its own objects.
struct OCIEnv;
struct OCIError;
struct OCISvcCtx;
struct OCIServer;
struct OCISession;
struct OCIStmt;
struct OCIBind;
struct OCIDefine;
struct OCISnapshot;

// The entry points, default calling convention, Oracle's parameter widths.
STANDIN_EXPORT standin::sword
OCIEnvNlsCreate(OCIEnv** envhpp, standin::ub4 mode, void* ctxp,
                void* (*malocfp)(void* ctxp, size_t size),
                void* (*ralocfp)(void* ctxp, void* memptr, size_t newsize),
                void (*mfreefp)(void* ctxp, void* memptr), size_t xtramemsz, void** usrmempp,
                standin::ub2 charset, standin::ub2 ncharset);
STANDIN_EXPORT standin::sword
OCIInitialize(standin::ub4 mode, void* ctxp, void* (*malocfp)(void* ctxp, size_t size),
              void* (*ralocfp)(void* ctxp, void* memptr, size_t newsize),
              void (*mfreefp)(void* ctxp, void* memptr));
STANDIN_EXPORT standin::sword OCIEnvInit(OCIEnv** envp, standin::ub4 mode, size_t xtramem_sz,
                                         void** usrmempp);
STANDIN_EXPORT standin::sword OCIHandleAlloc(const void* parenth, void** hndlpp,
                                             const standin::ub4 type, const size_t xtramem_sz,
                                             void** usrmempp);
STANDIN_EXPORT standin::sword OCIHandleFree(void* hndlp, const standin::ub4 type);
STANDIN_EXPORT standin::sword OCIServerAttach(OCIServer* srvhp, OCIError* errhp,
                                              const standin::OraText* dblink,
                                              standin::sb4 dblink_len, standin::ub4 mode);
STANDIN_EXPORT standin::sword OCIServerDetach(OCIServer* srvhp, OCIError* errhp, standin::ub4 mode);
STANDIN_EXPORT standin::sword OCIAttrSet(void* trgthndlp, standin::ub4 trghndltyp, void* attributep,
                                         standin::ub4 size, standin::ub4 attrtype, OCIError* errhp);
STANDIN_EXPORT standin::sword OCISessionBegin(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp,
                                              standin::ub4 credt, standin::ub4 mode);
STANDIN_EXPORT standin::sword OCISessionEnd(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp,
                                            standin::ub4 mode);
STANDIN_EXPORT standin::sword OCIErrorGet(void* hndlp, standin::ub4 recordno,
                                          standin::OraText* sqlstate, standin::sb4* errcodep,
                                          standin::OraText* bufp, standin::ub4 bufsiz,
                                          standin::ub4 type);
STANDIN_EXPORT standin::sword OCIStmtPrepare(OCIStmt* stmtp, OCIError* errhp,
                                             const standin::OraText* stmt, standin::ub4 stmt_len,
                                             standin::ub4 language, standin::ub4 mode);
STANDIN_EXPORT standin::sword OCIBindByPos(OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp,
                                           standin::ub4 position, void* valuep,
                                           standin::sb4 value_sz, standin::ub2 dty, void* indp,
                                           standin::ub2* alenp, standin::ub2* rcodep,
                                           standin::ub4 maxarr_len, standin::ub4* curelep,
                                           standin::ub4 mode);
// Left out of the build that stands for an 11.2 client, which lacks it.
#if !defined(STANDIN_WITHOUT_BIND2)
STANDIN_EXPORT standin::sword OCIBindByPos2(OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp,
                                            standin::ub4 position, void* valuep,
                                            standin::sb8 value_sz, standin::ub2 dty, void* indp,
                                            standin::ub4* alenp, standin::ub2* rcodep,
                                            standin::ub4 maxarr_len, standin::ub4* curelep,
                                            standin::ub4 mode);
#endif
STANDIN_EXPORT standin::sword OCIDefineByPos(OCIStmt* stmtp, OCIDefine** defnp, OCIError* errhp,
                                             standin::ub4 position, void* valuep,
                                             standin::sb4 value_sz, standin::ub2 dty, void* indp,
                                             standin::ub2* rlenp, standin::ub2* rcodep,
                                             standin::ub4 mode);
STANDIN_EXPORT standin::sword OCIStmtExecute(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp,
                                             standin::ub4 iters, standin::ub4 rowoff,
                                             const OCISnapshot* snap_in, OCISnapshot* snap_out,
                                             standin::ub4 mode);
STANDIN_EXPORT standin::sword OCITransCommit(OCISvcCtx* svchp, OCIError* errhp, standin::ub4 flags);
STANDIN_EXPORT standin::sword OCITransRollback(OCISvcCtx* svchp, OCIError* errhp,
                                               standin::ub4 flags);
STANDIN_EXPORT standin::sword OCIBreak(void* hndlp, OCIError* errhp);
STANDIN_EXPORT standin::sword OCIReset(void* hndlp, OCIError* errhp);

// Test-only: OCI calls in progress on all threads, those waiting for another's included.
STANDIN_EXPORT int StandinCallsInside(void);
// Test-only: handles allocated and not yet freed in this process.
STANDIN_EXPORT int StandinLiveHandleCount(void);
// Test-only: start (non-zero) or stop recording calls; starting clears the record.
STANDIN_EXPORT void StandinRecordCalls(int on);
// Test-only: the calls recorded, one line each ("OCIHandleFree 8"); valid until the next call.
STANDIN_EXPORT const char* StandinCallLog(void);
// Test-only: calls `observer` (null: nobody) with the iteration count after every execution
// that did not fail, before it returns; so a test can act between an insert and the next call.
STANDIN_EXPORT void StandinSetExecuteObserver(void (*observer)(unsigned iterations));
