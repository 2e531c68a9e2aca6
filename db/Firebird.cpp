#include "Firebird.h"

using namespace Firebird;

namespace fb {

IMaster* Master()
{
    static IMaster* master = fb_get_master_interface();
    return master;
}

IUtil* Util()
{
    return Master()->getUtilInterface();
}

namespace {

// Runs an ending call that releases the handle on success; releases it by hand otherwise.
template <typename T, typename Fim>
void Encerrar(T* p, Fim fim) noexcept
{
    IStatus* bruto = Master()->getStatus();
    CheckStatusWrapper status(bruto);
    fim(p, &status);
    if (status.getState() & IStatus::STATE_ERRORS)
        p->release();
    bruto->dispose();
}

} // namespace

void TLiberarAnexo::operator()(IAttachment* p) const noexcept
{
    Encerrar(p, [](IAttachment* a, CheckStatusWrapper* s) { a->detach(s); });
}

void TLiberarTransacao::operator()(ITransaction* p) const noexcept
{
    Encerrar(p, [](ITransaction* t, CheckStatusWrapper* s) { t->rollback(s); });
}

void TLiberarComando::operator()(IStatement* p) const noexcept
{
    Encerrar(p, [](IStatement* c, CheckStatusWrapper* s) { c->free(s); });
}

void TLiberarCursor::operator()(IResultSet* p) const noexcept
{
    Encerrar(p, [](IResultSet* r, CheckStatusWrapper* s) { r->close(s); });
}

void TLiberarBlob::operator()(IBlob* p) const noexcept
{
    Encerrar(p, [](IBlob* b, CheckStatusWrapper* s) { b->cancel(s); });
}

void Commit(TTransacao& transacao, TStatus& status)
{
    transacao->commit(&status);
    transacao.release();
}

void Rollback(TTransacao& transacao, TStatus& status)
{
    // A transaction that cannot even be rolled back is gone for good: let go of it either way.
    ITransaction* bruta = transacao.release();
    try {
        bruta->rollback(&status);
    } catch (...) {
        bruta->release();
        throw;
    }
}

void Fechar(TCursor& cursor, TStatus& status)
{
    cursor->close(&status);
    cursor.release();
}

void Fechar(TBlob& blob, TStatus& status)
{
    blob->close(&status);
    blob.release();
}

void Liberar(TComando& comando, TStatus& status)
{
    comando->free(&status);
    comando.release();
}

} // namespace fb
