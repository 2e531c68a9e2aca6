#include "ErroBancoDados.h"

#include "Texto.h"

#include <firebird/Interface.h>

#include <algorithm>

namespace {

// Copies the status vector so that the codes outlive the client's status object. String
// arguments are not kept: only the codes are read back later.
std::vector<std::intptr_t> CopiarCodigos(const ISC_STATUS* vetor)
{
    std::vector<std::intptr_t> codigos;
    for (const ISC_STATUS* p = vetor; *p != isc_arg_end;) {
        const ISC_STATUS tipo = *p++;
        if (tipo == isc_arg_cstring) {
            p += 2;
            continue;
        }
        if (tipo == isc_arg_gds || tipo == isc_arg_number) {
            codigos.push_back(tipo);
            codigos.push_back(*p);
        }
        ++p;
    }
    codigos.push_back(isc_arg_end);
    return codigos;
}

// The server's account of where the failure happened: the arguments of its stack trace
// messages ("At block line: 5, col: 1", trigger names), which unlike the other messages never
// carry a value of the data.
std::string LerLocal(const ISC_STATUS* vetor)
{
    std::string local;
    bool rastro = false;
    for (const ISC_STATUS* p = vetor; *p != isc_arg_end;) {
        const ISC_STATUS tipo = *p++;
        if (tipo == isc_arg_cstring) {
            if (rastro)
                local += (local.empty() ? "" : "\n") +
                         ConverterMensagemDoBanco(std::string(
                             reinterpret_cast<const char*>(p[1]), static_cast<std::size_t>(p[0])));
            p += 2;
            rastro = false;
            continue;
        }
        if (tipo == isc_arg_string && rastro) {
            local += (local.empty() ? "" : "\n") +
                     ConverterMensagemDoBanco(reinterpret_cast<const char*>(*p));
        }
        rastro = tipo == isc_arg_gds && *p == isc_stack_trace;
        ++p;
    }
    return local;
}

// The client's text for an SQL code is a template whose names it cannot fill ("Operation
// violates CHECK constraint  on view or table"). Where names were left out, the line is dropped
// when the server's own messages already say all of its words, and its gaps are closed
// otherwise: no line of the failure shows an empty place.
std::string TextoCodigoSql(std::string texto, const std::string& mensagens)
{
    const bool lacuna = texto.find("  ") != std::string::npos ||
                        (!texto.empty() && texto.back() == ' ');
    if (!lacuna)
        return texto;
    std::string fechado;
    bool todasDitas = true;
    std::size_t inicio = 0;
    while (inicio < texto.size()) {
        const std::size_t fim = std::min(texto.find(' ', inicio), texto.size());
        if (fim > inicio) {
            const std::string palavra = texto.substr(inicio, fim - inicio);
            todasDitas = todasDitas && mensagens.find(palavra) != std::string::npos;
            fechado += (fechado.empty() ? "" : " ") + palavra;
        }
        inicio = fim + 1;
    }
    return todasDitas ? std::string() : fechado;
}

} // namespace

EBancoDados::EBancoDados(const std::string& mensagem, int codigoSql,
                         std::vector<std::intptr_t> vetorStatus)
    : std::runtime_error(mensagem), FMensagem(mensagem), FCompleta(mensagem),
      FCodigoSql(codigoSql), FVetorStatus(std::move(vetorStatus))
{
}

void EBancoDados::Compor()
{
    FCompleta = FBanco.empty() ? FMensagem : FBanco + "\r\n" + FMensagem;
    if (!FOrientacao.empty())
        FCompleta = FOrientacao + "\r\n" + FCompleta;
    if (!FTabela.empty())
        FCompleta += "\r\nTabela: " + FTabela;
    if (!FColuna.empty())
        FCompleta += "\r\nColuna: " + FColuna;
    if (!FChave.empty())
        FCompleta += "\r\nChave primária: " + FChave;
    if (!FGatilho.empty())
        FCompleta += "\r\nGatilho: " + FGatilho;
}

void EBancoDados::DefinirBanco(const std::string& descricao)
{
    FBanco = descricao;
    Compor();
}

void EBancoDados::DefinirTabela(const std::string& tabela)
{
    FTabela = tabela;
    Compor();
}

void EBancoDados::DefinirColuna(const std::string& coluna)
{
    FColuna = coluna;
    Compor();
}

void EBancoDados::DefinirChave(const std::string& chave)
{
    FChave = chave;
    Compor();
}

void EBancoDados::DefinirExcesso(const std::string& coluna, std::size_t caracteres,
                                 std::size_t capacidade)
{
    FColunaExcedida = coluna;
    FCaracteres = caracteres;
    FCapacidade = capacidade;
}

void EBancoDados::DefinirOrientacao(const std::string& orientacao)
{
    FOrientacao = orientacao;
    Compor();
}

std::vector<std::intptr_t> EBancoDados::Numeros() const
{
    std::vector<std::intptr_t> numeros;
    for (std::size_t i = 0; i + 1 < FVetorStatus.size(); i += 2)
        if (FVetorStatus[i] == isc_arg_number)
            numeros.push_back(FVetorStatus[i + 1]);
    return numeros;
}

void EBancoDados::DefinirGatilho(const std::string& gatilho)
{
    FGatilho = gatilho;
    Compor();
}

EBancoDados EBancoDados::DoStatus(const std::intptr_t* vetorStatus)
{
    const auto* vetor = reinterpret_cast<const ISC_STATUS*>(vetorStatus);
    std::string mensagem = Prefixo;

    // fb_interpret walks the vector and advances the pointer past each message it formats.
    const ISC_STATUS* cursor = vetor;
    char linha[1024];
    bool primeira = true;
    while (fb_interpret(linha, sizeof linha, &cursor) > 0) {
        if (!primeira)
            mensagem += "\r\n";
        mensagem += ConverterMensagemDoBanco(linha);
        primeira = false;
    }

    const int codigoSql = static_cast<int>(isc_sqlcode(vetor));
    if (codigoSql != 0 && codigoSql != -999) {
        char texto[1024];
        isc_sql_interprete(static_cast<short>(codigoSql), texto, sizeof texto);
        const std::string linha = TextoCodigoSql(ConverterMensagemDoBanco(texto), mensagem);
        if (!linha.empty())
            mensagem += "\r\n" + linha;
    }
    EBancoDados erro(mensagem, codigoSql, CopiarCodigos(vetor));
    erro.FLocal = LerLocal(vetor);
    return erro;
}

EBancoDados EBancoDados::DaCamada(const std::string& texto)
{
    return EBancoDados(std::string(Prefixo) + texto);
}

std::intptr_t EBancoDados::CodigoMotor() const noexcept
{
    for (std::size_t i = 0; i + 1 < FVetorStatus.size(); i += 2)
        if (FVetorStatus[i] == isc_arg_gds)
            return FVetorStatus[i + 1];
    return 0;
}

bool EBancoDados::TemCodigo(std::intptr_t codigo) const noexcept
{
    for (std::size_t i = 0; i + 1 < FVetorStatus.size(); i += 2)
        if (FVetorStatus[i] == isc_arg_gds && FVetorStatus[i + 1] == codigo)
            return true;
    return false;
}

bool EBancoDados::PerdaDeConexao() const noexcept
{
    static constexpr std::intptr_t CodigosPerda[] = {
        isc_shutdown,      isc_conn_lost,    isc_network_error,     isc_net_read_err,
        isc_net_write_err, isc_att_shutdown, isc_lost_db_connection};
    for (std::intptr_t codigo : CodigosPerda)
        if (TemCodigo(codigo))
            return true;
    return false;
}
