#pragma once

#include "ErroBancoDados.h"

#include <atomic>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>

namespace Firebird {
class IAttachment;
class ITransaction;
}

class TCancelamento;
class TConsulta;

// Where and as whom a connection attaches. The tool always uses the defaults; tests point a
// connection elsewhere to see how it fails.
struct TPerfilConexao {
    std::string Servidor = "127.0.0.1";
    std::string Porta; // empty: the client library's default port
    std::string Usuario = "SYSDBA";
    std::string Senha = "pinecrest";
};

// One attachment to one Firebird database with the tool's fixed profile: server 127.0.0.1 on
// the default port, SYSDBA, character set WIN1252, dialect 3, no prompt. It attaches on
// demand, holds at most one transaction, and stays attached until the file changes or it is
// destroyed. A transaction still open then is rolled back: only an explicit Commit makes work
// permanent. Used from one thread at a time, but Interromper.
class TConexao {
public:
    explicit TConexao(TPerfilConexao perfil = {});
    ~TConexao();
    TConexao(const TConexao&) = delete;
    TConexao& operator=(const TConexao&) = delete;

    static constexpr const char* ConjuntoCaracteres = "WIN1252";
    static constexpr int Dialeto = 3;

    // Stores the path of the database file. An attached connection is closed first: its open
    // transaction is rolled back and its open queries are closed.
    void DefinirBanco(const std::string& caminho);
    const std::string& Banco() const noexcept { return FBanco; }
    const TPerfilConexao& Perfil() const noexcept { return FPerfil; }
    bool Conectado() const noexcept;

    // Runs one statement that returns no rows, sent exactly as written. Outside an explicit
    // transaction it runs in its own, committed on success and rolled back on failure.
    void Executar(const std::string& sql);

    // Explicit transactions, used by the row copy.
    void IniciarTransacao();
    // One that waits up to that long for a lock another holds, instead of failing at once:
    // a holder such as the server's garbage collector lets go of a lock only when someone
    // waits for it.
    void IniciarTransacaoComEspera(unsigned char segundos);
    // A read-only snapshot for work that must change nothing and see one state throughout.
    void IniciarTransacaoLeitura();
    void Commit();   // does nothing when no transaction is open
    // Makes the open transaction's work permanent as Commit does, and goes on in a new
    // transaction on the same handle (commit retaining): what the server ties to the handle,
    // such as the external connections of a copy, stays open.
    void CommitRetendo();
    void Rollback(); // does nothing when no transaction is open
    bool EmTransacao() const noexcept;

    // Closes the attachment (rolling back an open transaction). The next operation attaches
    // anew.
    void Desconectar();

    // Asks the server to cancel the statement under way on this attachment, which then fails
    // with the server's word for it; from any thread. Nothing happens when none is under way.
    void Interromper() noexcept;

    // Binds the connection to a stop request for as long as it lives: the request, once made,
    // interrupts the statement under way, and every statement after it refuses to start
    // (EOperacaoCancelada). Scopes of one connection do not nest.
    class TEscopoInterrompivel {
    public:
        TEscopoInterrompivel(TConexao& conexao, TCancelamento& cancelamento);
        ~TEscopoInterrompivel();
        TEscopoInterrompivel(const TEscopoInterrompivel&) = delete;
        TEscopoInterrompivel& operator=(const TEscopoInterrompivel&) = delete;

    private:
        TConexao& FConexao;
        TCancelamento& FCancelamento;
    };

    // Whether the server writes each changed page through to the disk before it goes on
    // (forced writes), as the database's header says. Switching it needs the database's owner
    // or an administrator. Switching it on does not make the server flush what it wrote
    // before: those pages reach the disk when the operating system writes them out.
    bool EscritaForcada();
    void DefinirEscritaForcada(bool ligada);

    // For the database layer: the attachment (attached on demand) and the open transaction.
    Firebird::IAttachment* Anexo();
    Firebird::ITransaction* Transacao() const noexcept;

    // Keeps a transaction open for one operation: starts an automatic one when none is open,
    // and ends it with the operation (committed by Concluir, rolled back otherwise). Inside
    // an explicit transaction it does nothing.
    class TEscopoTransacao {
    public:
        explicit TEscopoTransacao(TConexao& conexao);
        ~TEscopoTransacao();
        TEscopoTransacao(const TEscopoTransacao&) = delete;
        TEscopoTransacao& operator=(const TEscopoTransacao&) = delete;
        void Concluir();

    private:
        TConexao& FConexao;
        bool FAutomatica;
    };

    // Runs one database operation; when it fails because the server dropped the attachment
    // (restart, shutdown, network), the attachment is let go so that the next operation
    // attaches anew, and the failure is passed on. It goes inside a TEscopoTransacao, never
    // around one: the scope rolls back as the failure leaves it, and on a lost attachment that
    // rollback must find the attachment already let go, or it may wait on it forever.
    template <typename TOperacao>
    void Protegido(TOperacao&& operacao)
    {
        try {
            operacao();
        } catch (const EBancoDados& erro) {
            EsquecerSePerdida(erro);
            throw;
        }
    }

private:
    friend class TConsulta;
    void Iniciar(const unsigned char* parametros, unsigned tamanho);
    // Throws EOperacaoCancelada when the stop request the connection is bound to was made.
    void VerificarInterrupcao() const;
    Firebird::IAttachment* Anexar(const std::optional<std::pair<unsigned char, int>>& extra) const;
    void EsquecerSePerdida(const EBancoDados& erro) noexcept;
    void RegistrarConsulta(TConsulta* consulta);
    void RemoverConsulta(TConsulta* consulta) noexcept;
    void FecharConsultas() noexcept;

    struct TEstado;
    TPerfilConexao FPerfil;
    std::string FBanco;
    std::unique_ptr<TEstado> FEstado;
    std::set<TConsulta*> FConsultas;
    std::atomic<const TCancelamento*> FInterrupcao{nullptr};
};
