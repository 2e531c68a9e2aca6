#pragma once

// What the database layer shares about the Firebird client's object interface: the master
// interface, a status wrapper that turns every failure into EBancoDados, and owners that
// dispose each kind of handle. Nothing outside db/ includes this header.

#include "ErroBancoDados.h"

#include <firebird/Interface.h>

#include <memory>

namespace fb {

Firebird::IMaster* Master();
Firebird::IUtil* Util();

// Status of one call sequence. Any call that fails throws EBancoDados with the server's
// message; the wrapper is then ready for the next call.
class TStatus : public Firebird::BaseStatusWrapper<TStatus> {
public:
    TStatus() : BaseStatusWrapper(Master()->getStatus()) {}
    ~TStatus() { status->dispose(); }
    TStatus(const TStatus&) = delete;
    TStatus& operator=(const TStatus&) = delete;

    static void checkException(TStatus* s)
    {
        if (s->dirty && (s->getState() & Firebird::IStatus::STATE_ERRORS)) {
            EBancoDados erro = EBancoDados::DoStatus(s->getErrors());
            s->clearException();
            throw erro;
        }
    }
};

// Deleters for handles whose owner lets go without an explicit end: a transaction is rolled
// back, a cursor closed, a statement freed, a blob cancelled, an attachment detached. The
// ending call releases the handle when it succeeds; when it fails (the server is gone, say)
// the handle is released without it, so nothing leaks either way.
struct TLiberarAnexo {
    void operator()(Firebird::IAttachment* p) const noexcept;
};
struct TLiberarTransacao {
    void operator()(Firebird::ITransaction* p) const noexcept;
};
struct TLiberarComando {
    void operator()(Firebird::IStatement* p) const noexcept;
};
struct TLiberarCursor {
    void operator()(Firebird::IResultSet* p) const noexcept;
};
struct TLiberarBlob {
    void operator()(Firebird::IBlob* p) const noexcept;
};
struct TLiberarReferencia {
    void operator()(Firebird::IReferenceCounted* p) const noexcept { p->release(); }
};
struct TDescartar {
    void operator()(Firebird::IDisposable* p) const noexcept { p->dispose(); }
};

using TAnexo = std::unique_ptr<Firebird::IAttachment, TLiberarAnexo>;
using TTransacao = std::unique_ptr<Firebird::ITransaction, TLiberarTransacao>;
using TComando = std::unique_ptr<Firebird::IStatement, TLiberarComando>;
using TCursor = std::unique_ptr<Firebird::IResultSet, TLiberarCursor>;
using TBlob = std::unique_ptr<Firebird::IBlob, TLiberarBlob>;
using TMetadados = std::unique_ptr<Firebird::IMessageMetadata, TLiberarReferencia>;
using TConstrutorMetadados = std::unique_ptr<Firebird::IMetadataBuilder, TLiberarReferencia>;
using TConstrutorXpb = std::unique_ptr<Firebird::IXpbBuilder, TDescartar>;

// Ends a handle explicitly; on success the client has released it, so the owner lets go.
void Commit(TTransacao& transacao, TStatus& status);
void Rollback(TTransacao& transacao, TStatus& status);
void Fechar(TCursor& cursor, TStatus& status);
void Fechar(TBlob& blob, TStatus& status);
void Liberar(TComando& comando, TStatus& status);

} // namespace fb
