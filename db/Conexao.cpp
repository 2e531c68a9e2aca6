#include "Conexao.h"

#include "Cancelamento.h"
#include "Consulta.h"
#include "Firebird.h"
#include "ObservadorOcupado.h"
#include "Texto.h"

#include <mutex>

using namespace Firebird;

// The attachment is set and let go under the lock, so that Interromper, from another thread,
// never meets a handle on its way out.
struct TConexao::TEstado {
    fb::TAnexo Anexo;
    fb::TTransacao Transacao;
    std::mutex TravaAnexo;

    fb::TAnexo Soltar() noexcept
    {
        std::lock_guard trava(TravaAnexo);
        return std::move(Anexo);
    }
};

namespace {

// Read-write, no waiting on lock conflicts, no isolation level named: the server's default.
const unsigned char ParametrosTransacao[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_nowait};
// Read-only snapshot: everything read in it sees the database as it stood when it began, and
// the server refuses any change made through it.
const unsigned char ParametrosLeitura[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_concurrency,
                                           isc_tpb_nowait};

} // namespace

TConexao::TConexao(TPerfilConexao perfil)
    : FPerfil(std::move(perfil)), FEstado(std::make_unique<TEstado>())
{
}

TConexao::~TConexao()
{
    FecharConsultas();
    // The owner rolls back: a transaction nobody committed (a copy that failed half way) must
    // leave nothing behind.
    FEstado->Transacao.reset();
    const fb::TAnexo anexo = FEstado->Soltar();
}

void TConexao::DefinirBanco(const std::string& caminho)
{
    Desconectar();
    FBanco = caminho;
}

void TConexao::Desconectar()
{
    FecharConsultas();
    fb::TAnexo anexo = FEstado->Soltar();
    if (!anexo)
        return;
    fb::TStatus status;
    try {
        if (FEstado->Transacao)
            fb::Rollback(FEstado->Transacao, status);
        anexo->detach(&status);
        anexo.release();
    } catch (...) {
        // The failure is reported once; the handles go either way, so the next operation
        // attaches anew instead of failing on them again.
        FEstado->Transacao.reset();
        throw;
    }
}

void TConexao::Interromper() noexcept
{
    std::lock_guard trava(FEstado->TravaAnexo);
    if (!FEstado->Anexo)
        return;
    // Between two statements the server answers that there is nothing to cancel; the next
    // statement refuses by itself then (VerificarInterrupcao).
    IStatus* bruto = fb::Master()->getStatus();
    CheckStatusWrapper status(bruto);
    FEstado->Anexo->cancelOperation(&status, fb_cancel_raise);
    bruto->dispose();
}

void TConexao::VerificarInterrupcao() const
{
    if (const TCancelamento* cancelamento = FInterrupcao.load())
        cancelamento->Verificar();
}

TConexao::TEscopoInterrompivel::TEscopoInterrompivel(TConexao& conexao,
                                                     TCancelamento& cancelamento)
    : FConexao(conexao), FCancelamento(cancelamento)
{
    FConexao.FInterrupcao.store(&cancelamento);
    FCancelamento.Vincular(conexao);
}

TConexao::TEscopoInterrompivel::~TEscopoInterrompivel()
{
    FCancelamento.Desvincular(FConexao);
    FConexao.FInterrupcao.store(nullptr);
}

void TConexao::EsquecerSePerdida(const EBancoDados& erro) noexcept
{
    if (!erro.PerdaDeConexao())
        return;
    // The server has dropped the attachment, yet may leave its socket open without ever
    // answering on it again: the rollback and the frees the handles' owners send would then
    // wait forever. Closing the client's side first makes each of them fail at once, and the
    // handles are released all the same; the server rolls back what the attachment left.
    const fb::TAnexo anexo = FEstado->Soltar();
    if (anexo) {
        IStatus* bruto = fb::Master()->getStatus();
        CheckStatusWrapper status(bruto);
        anexo->cancelOperation(&status, fb_cancel_abort);
        bruto->dispose();
    }
    FecharConsultas();
    FEstado->Transacao.reset();
}

bool TConexao::Conectado() const noexcept
{
    return static_cast<bool>(FEstado->Anexo);
}

// The parameters of every attachment of this connection, with one tag more where asked.
IAttachment* TConexao::Anexar(const std::optional<std::pair<unsigned char, int>>& extra) const
{
    fb::TStatus status;
    fb::TConstrutorXpb dpb(fb::Util()->getXpbBuilder(&status, IXpbBuilder::DPB, nullptr, 0));
    dpb->insertString(&status, isc_dpb_user_name, FPerfil.Usuario.c_str());
    dpb->insertString(&status, isc_dpb_password, FPerfil.Senha.c_str());
    dpb->insertString(&status, isc_dpb_lc_ctype, ConjuntoCaracteres);
    dpb->insertInt(&status, isc_dpb_sql_dialect, Dialeto);
    // The path is the system's own (UTF-8 bytes); without this tag the client would read it in
    // the connection's character set and fail on any accent.
    dpb->insertTag(&status, isc_dpb_utf8_filename);
    if (extra)
        dpb->insertInt(&status, extra->first, extra->second);

    const std::string porta = FPerfil.Porta.empty() ? "" : "/" + FPerfil.Porta;
    const std::string destino = FPerfil.Servidor + porta + ":" + FBanco;
    return fb::Master()->getDispatcher()->attachDatabase(
        &status, destino.c_str(), dpb->getBufferLength(&status), dpb->getBuffer(&status));
}

IAttachment* TConexao::Anexo()
{
    if (!FEstado->Anexo) {
        fb::TAnexo anexo(Anexar(std::nullopt));
        std::lock_guard trava(FEstado->TravaAnexo);
        FEstado->Anexo = std::move(anexo);
    }
    return FEstado->Anexo.get();
}

bool TConexao::EscritaForcada()
{
    TConsulta consulta(this, "select MON$FORCED_WRITES from MON$DATABASE");
    consulta.Abrir();
    return consulta.Campo(0).ComoInteiro() != 0;
}

// The server changes the setting only as the database is attached: an attachment of its own,
// let go at once. Other attachments of a server that keeps one file handle per attachment go on
// writing the old way until they attach anew.
void TConexao::DefinirEscritaForcada(bool ligada)
{
    TTrabalhoBanco trabalho;
    fb::TAnexo anexo(Anexar(std::pair<unsigned char, int>{isc_dpb_force_write, ligada ? 1 : 0}));
    fb::TStatus status;
    anexo->detach(&status);
    anexo.release();
}

ITransaction* TConexao::Transacao() const noexcept
{
    return FEstado->Transacao.get();
}

void TConexao::Executar(const std::string& sql)
{
    VerificarInterrupcao();
    TTrabalhoBanco trabalho;
    const std::string texto = ConverterParaBanco(sql);
    TEscopoTransacao escopo(*this);
    Protegido([&] {
        fb::TStatus status;
        Anexo()->execute(&status, FEstado->Transacao.get(), static_cast<unsigned>(texto.size()),
                         texto.c_str(), Dialeto, nullptr, nullptr, nullptr, nullptr);
    });
    escopo.Concluir();
}

void TConexao::IniciarTransacao()
{
    Iniciar(ParametrosTransacao, sizeof ParametrosTransacao);
}

void TConexao::IniciarTransacaoComEspera(unsigned char segundos)
{
    const unsigned char parametros[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_wait,
                                        isc_tpb_lock_timeout, 1, segundos};
    Iniciar(parametros, sizeof parametros);
}

void TConexao::IniciarTransacaoLeitura()
{
    Iniciar(ParametrosLeitura, sizeof ParametrosLeitura);
}

void TConexao::Iniciar(const unsigned char* parametros, unsigned tamanho)
{
    if (FEstado->Transacao)
        throw EBancoDados::DaCamada("Já existe uma transação aberta nesta conexão.");
    Protegido([&] {
        IAttachment* anexo = Anexo();
        fb::TStatus status;
        FEstado->Transacao.reset(anexo->startTransaction(&status, tamanho, parametros));
    });
}

void TConexao::Commit()
{
    if (!FEstado->Transacao)
        return;
    TTrabalhoBanco trabalho;
    Protegido([&] {
        fb::TStatus status;
        fb::Commit(FEstado->Transacao, status);
    });
}

void TConexao::CommitRetendo()
{
    if (!FEstado->Transacao)
        throw EBancoDados::DaCamada("Não há transação aberta nesta conexão.");
    TTrabalhoBanco trabalho;
    Protegido([&] {
        fb::TStatus status;
        FEstado->Transacao->commitRetaining(&status);
    });
}

void TConexao::Rollback()
{
    if (!FEstado->Transacao)
        return;
    TTrabalhoBanco trabalho;
    Protegido([&] {
        fb::TStatus status;
        fb::Rollback(FEstado->Transacao, status);
    });
}

bool TConexao::EmTransacao() const noexcept
{
    return FEstado->Anexo && FEstado->Transacao;
}

void TConexao::RegistrarConsulta(TConsulta* consulta)
{
    FConsultas.insert(consulta);
}

void TConexao::RemoverConsulta(TConsulta* consulta) noexcept
{
    FConsultas.erase(consulta);
}

void TConexao::FecharConsultas() noexcept
{
    auto consultas = std::move(FConsultas);
    FConsultas.clear();
    for (TConsulta* consulta : consultas)
        consulta->Fechar();
}

TConexao::TEscopoTransacao::TEscopoTransacao(TConexao& conexao)
    : FConexao(conexao), FAutomatica(!conexao.FEstado->Transacao)
{
    if (FAutomatica)
        FConexao.IniciarTransacao();
}

TConexao::TEscopoTransacao::~TEscopoTransacao()
{
    if (FAutomatica && FConexao.FEstado->Transacao)
        FConexao.FEstado->Transacao.reset();
}

void TConexao::TEscopoTransacao::Concluir()
{
    if (!FAutomatica)
        return;
    // A failed commit leaves the transaction to the destructor, which rolls it back.
    FConexao.Commit();
    FAutomatica = false;
}
