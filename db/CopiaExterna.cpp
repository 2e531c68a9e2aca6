#include "CopiaExterna.h"

#include "Cancelamento.h"
#include "ChavePrimaria.h"
#include "CopiaTabela.h"
#include "EnderecoExterno.h"
#include "Firebird.h"
#include "LinhaRecusada.h"
#include "NomeSql.h"
#include "ObservadorOcupado.h"
#include "Texto.h"
#include "TiposColunas.h"
#include "ValorMensagem.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <stdexcept>
#include <vector>

using namespace Firebird;

namespace {

// One column of a select as the server that prepared it describes it (names in WIN1252).
struct TColunaDescrita {
    std::string Tabela;
    std::string Nome;
    bool Blob = false;
};

std::vector<TColunaDescrita> Descrever(TConexao& conexao, const std::string& sql)
{
    TConexao::TEscopoTransacao escopo(conexao);
    std::vector<TColunaDescrita> colunas;
    conexao.Protegido([&] {
        fb::TStatus status;
        fb::TComando comando(conexao.Anexo()->prepare(
            &status, conexao.Transacao(), static_cast<unsigned>(sql.size()), sql.c_str(),
            TConexao::Dialeto, IStatement::PREPARE_PREFETCH_METADATA));
        fb::TMetadados meta(comando->getOutputMetadata(&status));
        const unsigned total = meta->getCount(&status);
        for (unsigned i = 0; i < total; ++i) {
            const char* tabela = meta->getRelation(&status, i);
            colunas.push_back({tabela ? tabela : "", meta->getField(&status, i),
                               (meta->getType(&status, i) & ~1u) == SQL_BLOB});
        }
        fb::Liberar(comando, status);
    });
    escopo.Concluir();
    return colunas;
}

// Whether a failure of the external read says the destination's server cannot reach the
// source at all, rather than that a row or a statement failed.
bool RecusaDoServidor(const EBancoDados& erro)
{
    return erro.TemCodigo(isc_eds_connection) || erro.TemCodigo(isc_eds_provider_not_found);
}

std::string Juntar(const std::vector<std::string>& partes, const std::string& separador)
{
    std::string texto;
    for (const std::string& parte : partes)
        texto += (texto.empty() ? "" : separador) + parte;
    return texto;
}

void GravarTexto(unsigned char* mensagem, IMessageMetadata* meta, unsigned indice,
                 const std::string& texto)
{
    fb::TStatus status;
    unsigned char* dado = mensagem + meta->getOffset(&status, indice);
    const auto tamanho = static_cast<std::uint16_t>(texto.size());
    std::memcpy(dado, &tamanho, sizeof tamanho);
    std::memcpy(dado + sizeof tamanho, texto.data(), texto.size());
    std::memset(mensagem + meta->getNullOffset(&status, indice), 0, sizeof(short));
}

// Where and as whom the destination's server attaches to the source.
struct TAcesso {
    std::string Origem, Usuario, Senha;
};

// The statement of one batch, or of its diagnosis. Its inputs: whether it is the first batch,
// how many rows a batch takes, the last key of the batch before, then the source's address,
// user and password. Its one row of results: the rows written, whether the read went wrong
// (1: a row came out of key order; 2: the diagnosis found the refused row), the refused
// column's position and its characters, and the key of the last row written or refused.
//
// The variables of the values written take the destination's column types, so each value is
// converted on assignment exactly as an insert of the source's value would convert it. The
// key's variables take the source's own types, collation included: the key goes back to the
// source as the next batch's starting point unchanged, and compares here as it sorts there.
// Each row's key must follow the one before in that order; a row that does not ends the read
// before it is written, so no batch ever writes a row twice.
//
// The diagnosis reads the same rows into variables of the source's types and writes each one
// on its own, until the first the destination refuses: the column being assigned, if any, and
// the row's key tell the operator where the failure lies. It is never committed.
//
// The address and the credentials travel as parameters: the password never becomes part of a
// statement's text.
std::string TextoBloco(const std::string& nomeTabela, const std::vector<std::string>& nomes,
                       const std::vector<std::string>& tiposOrigem,
                       const std::vector<std::size_t>& chave, const TAcesso& acesso,
                       bool diagnostico)
{
    const std::string lista = Juntar(nomes, ",");
    auto numero = [](std::size_t i) { return std::to_string(i + 1); };
    std::vector<std::size_t> posicaoNaChave(nomes.size(), chave.size());
    for (std::size_t k = 0; k < chave.size(); ++k)
        posicaoNaChave[chave[k]] = k;
    auto naChave = [&](std::size_t c) { return posicaoNaChave[c] < chave.size(); };
    // Where the read puts column c, and the variable that holds key column k of the row read.
    auto alvo = [&](std::size_t c) {
        if (diagnostico)
            return "W" + numero(c);
        return naChave(c) ? "S" + numero(posicaoNaChave[c]) : "V" + numero(c);
    };
    auto valorChave = [&](std::size_t k) { return alvo(chave[k]); };
    std::vector<std::string> alvos, valores, nomesChave;
    for (std::size_t c = 0; c < nomes.size(); ++c) {
        alvos.push_back(":" + alvo(c));
        valores.push_back(diagnostico ? ":V" + numero(c) : ":" + alvo(c));
    }
    for (std::size_t c : chave)
        nomesChave.push_back(nomes[c]);
    auto octetos = [](const std::string& valor) {
        return "varchar(" + std::to_string(std::max<std::size_t>(1, valor.size())) +
               ") character set OCTETS = ?";
    };

    std::string b = "execute block (INICIO smallint = ?, LIMITE integer = ?";
    for (std::size_t k = 0; k < chave.size(); ++k)
        b += ", K" + numero(k) + " " + tiposOrigem[chave[k]] + " = ?";
    b += ", ORIGEM " + octetos(acesso.Origem) + ", USUARIO " + octetos(acesso.Usuario) +
         ", SENHA " + octetos(acesso.Senha) +
         ")\nreturns (N integer, FORA integer, COLUNA integer, TAMANHO integer";
    for (std::size_t k = 0; k < chave.size(); ++k)
        b += ", U" + numero(k) + " " + tiposOrigem[chave[k]];
    b += ")\nas\n";
    for (std::size_t c = 0; c < nomes.size(); ++c) {
        if (diagnostico || !naChave(c))
            b += "declare V" + numero(c) + " type of column " + nomeTabela + "." + nomes[c] +
                 ";\n";
        if (diagnostico)
            b += "declare W" + numero(c) + " " + tiposOrigem[c] + ";\n";
        else if (naChave(c))
            b += "declare S" + numero(posicaoNaChave[c]) + " " + tiposOrigem[c] + ";\n";
    }
    b += "declare ANTERIOR smallint;\nbegin\nN = 0;\nFORA = 0;\nCOLUNA = 0;\nTAMANHO = 0;\n"
         "ANTERIOR = 1 - INICIO;\n";
    for (std::size_t k = 0; k < chave.size(); ++k)
        b += "U" + numero(k) + " = K" + numero(k) + ";\n";

    // The row's key after the last one: greater in its first column that differs.
    std::string depois;
    for (std::size_t k = chave.size(); k-- > 0;) {
        const std::string maior = valorChave(k) + " > U" + numero(k);
        depois = depois.empty() ? maior
                                : maior + " or (" + valorChave(k) + " = U" + numero(k) +
                                      " and (" + depois + "))";
    }
    std::string guardarChave;
    for (std::size_t k = 0; k < chave.size(); ++k)
        guardarChave += "U" + numero(k) + " = " + valorChave(k) + ";\n";

    std::string escrita = "insert into " + nomeTabela + " (" + lista + ") values (" +
                          Juntar(valores, ",") + ");\n";
    if (diagnostico) {
        std::string atribuicoes;
        std::string tamanhos;
        for (std::size_t c = 0; c < nomes.size(); ++c) {
            atribuicoes += "COLUNA = " + numero(c) + ";\nV" + numero(c) + " = W" + numero(c) +
                           ";\n";
            if (tiposOrigem[c].rfind("char", 0) == 0 || tiposOrigem[c].rfind("varchar", 0) == 0)
                tamanhos += "if (COLUNA = " + numero(c) + ") then TAMANHO = char_length(W" +
                            numero(c) + ");\n";
        }
        escrita = "begin\n" + atribuicoes + "COLUNA = 0;\n" + escrita +
                  "when any do FORA = 2;\nend\n" + guardarChave +
                  "if (FORA = 2) then\nbegin\n" + tamanhos + "leave;\nend\n";
    } else {
        escrita += guardarChave;
    }

    // One read of the source: up to what is missing of the batch, in key order, writing each
    // row and remembering its key.
    const std::string ordem = " order by " + Juntar(nomesChave, ",");
    auto laco = [&](const std::string& condicao, const std::string& parametros) {
        const std::string leitura =
            "select first ? " + lista + " from " + nomeTabela + condicao + ordem;
        return "for execute statement (" + LiteralSql(leitura) + ") (LIMITE - N" + parametros +
               ")\non external :ORIGEM as user :USUARIO password :SENHA\ninto " +
               Juntar(alvos, ",") + "\ndo begin\nif (ANTERIOR = 1 and not (" + depois +
               ")) then\nbegin\nFORA = 1;\nleave;\nend\n" + escrita +
               "N = N + 1;\nANTERIOR = 1;\nend\n";
    };
    b += "if (INICIO = 1) then\nbegin\n" + laco("", "") + "end\nelse\nbegin\n";
    // After the last key (k1..kn): first the rest of its group (K1 = k1 .. and Kn > kn), then
    // the groups after it one column wider at a time, down to K1 > k1. Each read starts where
    // the one before ended, so every row is found through the key's index at once.
    for (std::size_t nivel = chave.size(); nivel >= 1; --nivel) {
        std::string condicao = " where ";
        std::string parametros;
        for (std::size_t k = 0; k < nivel; ++k) {
            condicao += nomesChave[k] + (k + 1 < nivel ? " = ? and " : " > ?");
            parametros += ", :K" + numero(k);
        }
        if (nivel < chave.size())
            b += "if (N < LIMITE and FORA = 0) then\n";
        b += "begin\n" + laco(condicao, parametros) + "end\n";
    }
    // Its one row of results is delivered by suspend: a block with results is a select.
    b += "end\nsuspend;\nend";
    return b;
}

// Copies one value of a message into another statement's message whose field is declared
// alike: the bytes of the value as its type lays them out (a varchar's length prefix
// included) and its null flag.
void CopiarCampo(IMessageMetadata* de, const unsigned char* origem, unsigned i,
                 IMessageMetadata* para, unsigned char* destino, unsigned j)
{
    fb::TStatus status;
    const unsigned tipo = de->getType(&status, i) & ~1u;
    const unsigned tamanho = de->getLength(&status, i);
    if (tipo != (para->getType(&status, j) & ~1u) || tamanho != para->getLength(&status, j) ||
        de->getScale(&status, i) != para->getScale(&status, j) ||
        de->getCharSet(&status, i) != para->getCharSet(&status, j))
        throw EBancoDados::DaCamada("A chave de um lote não tem o mesmo tipo na entrada e na "
                                    "saída do comando da cópia pelo servidor.");
    const unsigned bytes = tamanho + (tipo == SQL_VARYING ? sizeof(std::uint16_t) : 0);
    std::memcpy(destino + para->getOffset(&status, j), origem + de->getOffset(&status, i), bytes);
    std::memcpy(destino + para->getNullOffset(&status, j), origem + de->getNullOffset(&status, i),
                sizeof(short));
}

std::int32_t LerInteiro(IMessageMetadata* meta, const unsigned char* mensagem, unsigned i)
{
    fb::TStatus status;
    std::int32_t valor;
    std::memcpy(&valor, mensagem + meta->getOffset(&status, i), sizeof valor);
    return valor;
}

} // namespace

// What the destination's server runs for one table: the statement of a batch and the one that
// finds the row a batch's failure lies in (empty when some column's source type cannot be
// declared), with the names they use.
struct TCopiaExterna::TPlano {
    std::string Bloco;
    std::string Diagnostico;
    std::string Tabela;               // in the database's bytes, as the catalogue has it
    std::vector<std::string> Colunas; // likewise, in select-list order
    std::vector<std::size_t> Chave;   // the key's columns, by position in the select list
    TAcesso Acesso;
};

namespace {

// The inputs and results of a batch's statement, as TextoBloco lays them out.
constexpr unsigned EntradaInicio = 0;
constexpr unsigned EntradaLimite = 1;
constexpr unsigned EntradaChave = 2;
constexpr unsigned SaidaLinhas = 0;
constexpr unsigned SaidaFora = 1;
constexpr unsigned SaidaColuna = 2;
constexpr unsigned SaidaTamanho = 3;
constexpr unsigned SaidaChave = 4;

constexpr std::int32_t ForaDeOrdem = 1;
constexpr std::int32_t RecusaEncontrada = 2;

// A name the server gave, as the operator reads it.
std::string NomeLegivel(const std::string& nome)
{
    return ConverterMensagemDoBanco(nome);
}

// "ID = 15000" or "EMPRESA = 1, CODIGO = '000001'": the key a batch's results end with.
std::string TextoChave(const std::vector<std::string>& colunas,
                       const std::vector<std::size_t>& chave, IMessageMetadata* saida,
                       const unsigned char* resultado)
{
    const TLinhaMensagem valores(saida, resultado, 1, 0);
    std::string texto;
    for (std::size_t k = 0; k < chave.size(); ++k)
        texto += (texto.empty() ? "" : ", ") + NomeLegivel(colunas[chave[k]]) + " = " +
                 valores.ValorSql(SaidaChave + static_cast<unsigned>(k));
    return texto;
}

// Sets the inputs of the next batch: it starts after this one's last key. The key must read
// back as the one this batch ended with: a key carried short would start the next batch
// before it. Fails before this batch is committed otherwise.
void LevarChave(const std::vector<std::string>& colunas, const std::vector<std::size_t>& chave,
                IMessageMetadata* saida, const unsigned char* resultado,
                IMessageMetadata* entrada, unsigned char* parametros)
{
    fb::TStatus status;
    *reinterpret_cast<std::int16_t*>(parametros + entrada->getOffset(&status, EntradaInicio)) = 0;
    for (unsigned k = 0; k < chave.size(); ++k) {
        CopiarCampo(saida, resultado, SaidaChave + k, entrada, parametros, EntradaChave + k);
        const TCampo lida = LerValorMensagem(saida, SaidaChave + k, resultado, nullptr, nullptr);
        const TCampo levada =
            LerValorMensagem(entrada, EntradaChave + k, parametros, nullptr, nullptr);
        if (lida.EhNulo() || levada.EhNulo() || lida.ComoTexto() != levada.ComoTexto()) {
            EBancoDados erro = EBancoDados::DaCamada(
                "A chave que encerra um lote da cópia pelo servidor não passou igual ao lote "
                "seguinte. Nada deste lote foi gravado.");
            erro.DefinirChave(TextoChave(colunas, chave, saida, resultado));
            throw erro;
        }
    }
}

} // namespace

TCopiaExterna::TCopiaExterna(TCopiaTabela& copia, std::optional<TPerfilConexao> perfilExterno)
    : FCopia(copia), FPerfilExterno(std::move(perfilExterno))
{
}

void TCopiaExterna::DefinirObservadorProgresso(std::function<void(std::int64_t)> observador)
{
    FObservador = observador;
    FCopia.DefinirObservadorProgresso(std::move(observador));
}

void TCopiaExterna::DefinirCancelamento(const TCancelamento* cancelamento) noexcept
{
    FCancelamento = cancelamento;
}

void TCopiaExterna::DefinirLeituraExterna(TLeituraExterna leitura)
{
    FLeitura = std::move(leitura);
}

void TCopiaExterna::DefinirLinhasPorLote(int linhas)
{
    if (linhas < 1)
        throw std::invalid_argument("Um lote tem ao menos uma linha.");
    FLinhasPorLote = linhas;
}

TCaminhoCopia TCopiaExterna::Escolher()
{
    FMotivoCliente.clear();
    FCaminho = Planejar(FCopia.Leitor().SQLLeitura()) ? TCaminhoCopia::Servidor
                                                      : TCaminhoCopia::Cliente;
    return FCaminho;
}

// Every failure names its table, on either way.
std::int64_t TCopiaExterna::Executar()
{
    FCaminho = TCaminhoCopia::Cliente;
    FMotivoCliente.clear();
    try {
        if (const std::optional<TPlano> plano = Planejar(FCopia.Leitor().SQLLeitura())) {
            FCaminho = TCaminhoCopia::Servidor;
            if (const std::optional<std::int64_t> gravadas = CopiarPeloServidor(*plano))
                return *gravadas;
            FCaminho = TCaminhoCopia::Cliente;
        }
    } catch (EBancoDados& erro) {
        erro.DefinirTabela(TabelaDaLeitura(FCopia.Leitor().SQLLeitura()));
        throw;
    }
    return FCopia.Executar();
}

// Decides whether the destination's server can pull the table, and what it runs per batch.
std::optional<TCopiaExterna::TPlano> TCopiaExterna::Planejar(const std::string& sql)
{
    TConexao& origem = FCopia.Leitor().Conexao();
    const TPerfilConexao perfil = FPerfilExterno.value_or(origem.Perfil());
    if (!FLeitura)
        FLeitura = EscolherLeituraExterna(FCopia.Escritor().Conexao(), perfil, origem.Banco(),
                                          &FMotivoRecusa);
    if (!*FLeitura) {
        FMotivoCliente = FMotivoRecusa;
        return std::nullopt;
    }
    const TLeituraExterna& leitura = **FLeitura;
    const std::string texto = ConverterParaBanco(sql);
    const std::vector<TColunaDescrita> lidas = Descrever(origem, texto);
    const std::vector<TColunaDescrita> colunas = Descrever(FCopia.Escritor().Conexao(), texto);
    auto temBlob = [](const TColunaDescrita& c) { return c.Blob; };
    if (!leitura.SemRede && (std::any_of(colunas.begin(), colunas.end(), temBlob) ||
                             std::any_of(lidas.begin(), lidas.end(), temBlob))) {
        FMotivoCliente = "a tabela tem colunas blob e o servidor do DESTINO lê a ORIGEM pela rede";
        return std::nullopt;
    }
    TPlano plano;
    plano.Tabela = colunas.empty() ? std::string() : colunas.front().Tabela;
    const std::string nomeTabela = NomeSql(plano.Tabela);
    std::vector<std::string> nomes;
    for (const TColunaDescrita& coluna : colunas) {
        plano.Colunas.push_back(coluna.Nome);
        nomes.push_back(NomeSql(coluna.Nome));
    }
    // The server reads whole tables only: a select with a condition, a join or anything else
    // of its own is left to the client's way, which runs it as written.
    if (plano.Tabela.empty() || texto != "select " + Juntar(nomes, ",") + " from " + nomeTabela) {
        FMotivoCliente = "a leitura não é a de uma tabela inteira";
        return std::nullopt;
    }

    // The batches are read in ascending key order, which a descending key's index cannot serve.
    const TChavePrimaria chavePrimaria = LerChavePrimaria(origem, plano.Tabela);
    if (chavePrimaria.Colunas.empty() || chavePrimaria.Descendente) {
        FMotivoCliente = "a tabela não tem chave primária de índice ascendente";
        return std::nullopt;
    }
    const std::map<std::string, TTipoColuna> tiposOrigem = LerTiposColunas(origem, plano.Tabela);
    std::vector<std::string> declaracoes;
    for (const std::string& nome : plano.Colunas) {
        const auto tipo = tiposOrigem.find(nome);
        declaracoes.push_back(tipo == tiposOrigem.end() ? std::string() : tipo->second.Declaracao);
    }
    for (const std::string& nome : chavePrimaria.Colunas) {
        const auto achada = std::find(plano.Colunas.begin(), plano.Colunas.end(), nome);
        if (achada == plano.Colunas.end()) {
            FMotivoCliente = "a chave primária não está entre as colunas copiadas";
            return std::nullopt;
        }
        const auto posicao = static_cast<std::size_t>(achada - plano.Colunas.begin());
        if (declaracoes[posicao].empty()) {
            FMotivoCliente = "a chave primária tem um tipo que a cópia pelo servidor não ordena";
            return std::nullopt;
        }
        plano.Chave.push_back(posicao);
    }
    plano.Acesso.Origem = leitura.Endereco;
    plano.Acesso.Usuario = perfil.Usuario;
    plano.Acesso.Senha = perfil.Senha;
    plano.Bloco = TextoBloco(nomeTabela, nomes, declaracoes, plano.Chave, plano.Acesso, false);
    if (std::none_of(declaracoes.begin(), declaracoes.end(),
                     [](const std::string& d) { return d.empty(); }))
        plano.Diagnostico =
            TextoBloco(nomeTabela, nomes, declaracoes, plano.Chave, plano.Acesso, true);
    return plano;
}

// Runs the batches. Returns nothing, with the destination untouched, when the destination's
// server refuses the external read before the first batch; fails as the client's way fails
// otherwise.
std::optional<std::int64_t> TCopiaExterna::CopiarPeloServidor(const TPlano& plano)
{
    TTrabalhoBanco trabalho;
    TConexao& destino = FCopia.Escritor().Conexao();
    std::int64_t gravadas = 0;
    bool primeiro = true;
    try {
        fb::TStatus status;
        fb::TComando comando;
        try {
            if (!destino.EmTransacao())
                destino.IniciarTransacao();
            destino.Protegido([&] {
                comando.reset(destino.Anexo()->prepare(
                    &status, destino.Transacao(), static_cast<unsigned>(plano.Bloco.size()),
                    plano.Bloco.c_str(), TConexao::Dialeto, IStatement::PREPARE_PREFETCH_METADATA));
            });
        } catch (const EBancoDados& erro) {
            // A server that cannot compile the statement (one without external reads, or
            // without the key's collation, say) leaves the table to the client's way, which
            // reports any real fault itself. A lost attachment is a failure: the client's way
            // would attach anew and go on as if nothing had been lost with it.
            if (!destino.Conectado())
                throw;
            destino.Rollback();
            FMotivoCliente = erro.what();
            return std::nullopt;
        }
        fb::TMetadados entrada(comando->getInputMetadata(&status));
        fb::TMetadados saida(comando->getOutputMetadata(&status));
        std::vector<unsigned char> parametros(entrada->getMessageLength(&status));
        std::vector<unsigned char> resultado(saida->getMessageLength(&status));

        const auto n = static_cast<unsigned>(plano.Chave.size());
        GravarTexto(parametros.data(), entrada.get(), EntradaChave + n, plano.Acesso.Origem);
        GravarTexto(parametros.data(), entrada.get(), EntradaChave + n + 1, plano.Acesso.Usuario);
        GravarTexto(parametros.data(), entrada.get(), EntradaChave + n + 2, plano.Acesso.Senha);
        auto escreverInteiro = [&](unsigned campo, auto valor) {
            std::memcpy(parametros.data() + entrada->getOffset(&status, campo), &valor,
                        sizeof valor);
            std::memset(parametros.data() + entrada->getNullOffset(&status, campo), 0,
                        sizeof(short));
        };
        escreverInteiro(EntradaInicio, std::int16_t{1});
        escreverInteiro(EntradaLimite, std::int32_t{FLinhasPorLote});
        // The first batch reads no key: its inputs stay NULL.
        for (unsigned k = 0; k < n; ++k)
            *reinterpret_cast<short*>(parametros.data() +
                                      entrada->getNullOffset(&status, EntradaChave + k)) = -1;

        for (;;) {
            if (FCancelamento)
                FCancelamento->Verificar();
            try {
                destino.Protegido([&] {
                    comando->execute(&status, destino.Transacao(), entrada.get(),
                                     parametros.data(), saida.get(), resultado.data());
                });
            } catch (EBancoDados& erro) {
                if (!destino.Conectado())
                    throw;
                if (!primeiro || !RecusaDoServidor(erro)) {
                    destino.Rollback();
                    Diagnosticar(plano, erro, entrada.get(), parametros.data());
                    throw;
                }
                destino.Rollback();
                FMotivoCliente = erro.what();
                return std::nullopt;
            }
            const std::int32_t lidas = LerInteiro(saida.get(), resultado.data(), SaidaLinhas);
            if (LerInteiro(saida.get(), resultado.data(), SaidaFora) == ForaDeOrdem ||
                lidas < 0 || lidas > FLinhasPorLote) {
                EBancoDados erro = EBancoDados::DaCamada(
                    "A leitura da origem pelo servidor do destino não seguiu a ordem da chave "
                    "primária: depois da chave abaixo veio uma linha que não é maior que ela. "
                    "Nada deste lote foi gravado.");
                erro.DefinirChave(
                    TextoChave(plano.Colunas, plano.Chave, saida.get(), resultado.data()));
                throw erro;
            }
            const bool ultimo = lidas < FLinhasPorLote;
            if (!ultimo)
                LevarChave(plano.Colunas, plano.Chave, saida.get(), resultado.data(), entrada.get(),
                           parametros.data());
            // Between batches the transaction goes on retained: its external connection to
            // the source stays open instead of being made anew for every batch.
            if (ultimo)
                destino.Commit();
            else
                destino.CommitRetendo();
            gravadas += lidas;
            primeiro = false;
            if (FObservador)
                FObservador(gravadas);
            if (ultimo)
                break;
        }
        fb::Liberar(comando, status);
    } catch (...) {
        // As on the client's way: the batch's own failure is what the caller must see.
        try {
            destino.Rollback();
        } catch (const EBancoDados&) {
        }
        throw;
    }
    return gravadas;
}

// Names the column and the key of the row the destination refused in a failed batch: runs the
// batch again from the same key, row by row, in a transaction that is then undone. The
// failure stays what it was when the diagnosis finds nothing or cannot run (the fault was a
// passing one, or lies in the read itself): it then names only its table.
void TCopiaExterna::Diagnosticar(const TPlano& plano, EBancoDados& erro,
                                 IMessageMetadata* entrada, unsigned char* parametros)
{
    if (plano.Diagnostico.empty())
        return;
    TConexao& destino = FCopia.Escritor().Conexao();
    try {
        destino.IniciarTransacao();
        fb::TStatus status;
        fb::TComando comando(destino.Anexo()->prepare(
            &status, destino.Transacao(), static_cast<unsigned>(plano.Diagnostico.size()),
            plano.Diagnostico.c_str(), TConexao::Dialeto, IStatement::PREPARE_PREFETCH_METADATA));
        fb::TMetadados saida(comando->getOutputMetadata(&status));
        std::vector<unsigned char> resultado(saida->getMessageLength(&status));
        comando->execute(&status, destino.Transacao(), entrada, parametros, saida.get(),
                         resultado.data());
        fb::Liberar(comando, status);
        destino.Rollback();
        if (LerInteiro(saida.get(), resultado.data(), SaidaFora) != RecusaEncontrada)
            return;
        const std::int32_t coluna = LerInteiro(saida.get(), resultado.data(), SaidaColuna);
        const std::int32_t caracteres = LerInteiro(saida.get(), resultado.data(), SaidaTamanho);
        if (coluna > 0 && static_cast<std::size_t>(coluna) <= plano.Colunas.size()) {
            const std::string& nome = plano.Colunas[static_cast<std::size_t>(coluna) - 1];
            std::string texto = NomeLegivel(nome);
            const auto tipos = LerTiposColunas(destino, plano.Tabela);
            const auto tipo = tipos.find(nome);
            if (tipo != tipos.end() && tipo->second.Caracteres > 0 &&
                static_cast<std::size_t>(caracteres) > tipo->second.Caracteres) {
                texto += " (" + std::to_string(caracteres) + " caracteres; o destino comporta " +
                         std::to_string(tipo->second.Caracteres) + ")";
                erro.DefinirExcesso(NomeLegivel(nome), static_cast<std::size_t>(caracteres),
                                    tipo->second.Caracteres);
            }
            erro.DefinirColuna(texto);
        } else if (const std::string nome = ColunaDaMensagem(erro.what()); !nome.empty()) {
            erro.DefinirColuna(nome);
        }
        erro.DefinirChave(TextoChave(plano.Colunas, plano.Chave, saida.get(), resultado.data()));
    } catch (const EBancoDados&) {
        // The diagnosis only adds to the failure being reported; its own failure has
        // nothing to add.
        try {
            destino.Rollback();
        } catch (const EBancoDados&) {
        }
    }
}
