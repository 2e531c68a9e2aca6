#include "EscritorConcorrente.h"

#include <firebird/Interface.h>

#include <stdexcept>

namespace {

// Firebird's own status wrapper, which throws Firebird::FbException on a failure.
class TStatus : public Firebird::ThrowStatusWrapper {
public:
    TStatus() : ThrowStatusWrapper(Firebird::fb_get_master_interface()->getStatus()) {}
    ~TStatus() { dispose(); }
};

} // namespace

TEscritorConcorrente::TEscritorConcorrente(const std::string& banco)
{
    FConexao.DefinirBanco(banco);
    static const unsigned char parametros[] = {isc_tpb_version3, isc_tpb_write,
                                               isc_tpb_read_committed, isc_tpb_rec_version,
                                               isc_tpb_nowait};
    TStatus status;
    FTransacao = FConexao.Anexo()->startTransaction(&status, sizeof parametros, parametros);
}

TEscritorConcorrente::~TEscritorConcorrente()
{
    if (!FTransacao)
        return;
    try {
        TStatus status;
        FTransacao->rollback(&status);
    } catch (const Firebird::FbException&) {
        FTransacao->release();
    }
}

void TEscritorConcorrente::Executar(const std::string& sql)
{
    TStatus status;
    FConexao.Anexo()->execute(&status, FTransacao, 0, sql.c_str(), TConexao::Dialeto, nullptr,
                              nullptr, nullptr, nullptr);
}

void TEscritorConcorrente::Commit()
{
    TStatus status;
    FTransacao->commit(&status);
    FTransacao = nullptr;
}
