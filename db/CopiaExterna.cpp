#include "CopiaExterna.h"

#include "Cancelamento.h"
#include "ChavePrimaria.h"
#include "CopiaTabela.h"
#include "EnderecoExterno.h"
#include "Firebird.h"
#include "NomeSql.h"
#include "ObservadorOcupado.h"
#include "Texto.h"

#include <algorithm>
#include <cstring>
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
    fb::TStatus status;
    fb::TComando comando(conexao.Anexo()->prepare(&status, conexao.Transacao(),
                                                  static_cast<unsigned>(sql.size()), sql.c_str(),
                                                  TConexao::Dialeto,
                                                  IStatement::PREPARE_PREFETCH_METADATA));
    fb::TMetadados meta(comando->getOutputMetadata(&status));
    std::vector<TColunaDescrita> colunas;
    const unsigned total = meta->getCount(&status);
    for (unsigned i = 0; i < total; ++i) {
        const char* tabela = meta->getRelation(&status, i);
        colunas.push_back({tabela ? tabela : "", meta->getField(&status, i),
                           (meta->getType(&status, i) & ~1u) == SQL_BLOB});
    }
    fb::Liberar(comando, status);
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

// The statement of one batch. Its variables take the destination's column types, so each
// value is converted on assignment exactly as an insert of the source's value would convert it.
// The address and the credentials travel as parameters: the password never becomes part of a
// statement's text.
std::string TextoBloco(const std::string& nomeTabela, const std::vector<std::string>& nomes,
                       const std::vector<std::size_t>& chave, const std::string& origem,
                       const std::string& usuario, const std::string& senha)
{
    const std::string lista = Juntar(nomes, ",");
    std::vector<std::string> variaveis;
    for (std::size_t c = 0; c < nomes.size(); ++c)
        variaveis.push_back(":V" + std::to_string(c + 1));
    std::vector<std::string> nomesChave;
    for (std::size_t c : chave)
        nomesChave.push_back(nomes[c]);
    auto tipo = [&](std::size_t coluna) {
        return "type of column " + nomeTabela + "." + nomes[coluna];
    };
    auto octetos = [](const std::string& valor) {
        return "varchar(" + std::to_string(std::max<std::size_t>(1, valor.size())) +
               ") character set OCTETS = ?";
    };

    std::string b = "execute block (INICIO smallint = ?";
    for (std::size_t k = 0; k < chave.size(); ++k)
        b += ", K" + std::to_string(k + 1) + " " + tipo(chave[k]) + " = ?";
    b += ", ORIGEM " + octetos(origem) + ", USUARIO " + octetos(usuario) + ", SENHA " +
         octetos(senha) + ")\nreturns (N integer";
    for (std::size_t k = 0; k < chave.size(); ++k)
        b += ", U" + std::to_string(k + 1) + " " + tipo(chave[k]);
    b += ")\nas\n";
    for (std::size_t c = 0; c < nomes.size(); ++c)
        b += "declare V" + std::to_string(c + 1) + " " + tipo(c) + ";\n";
    b += "begin\nN = 0;\n";

    // One read of the source: up to what is missing of the batch, in key order, inserting each
    // row and remembering its key.
    const std::string ordem = " order by " + Juntar(nomesChave, ",");
    auto laco = [&](const std::string& condicao, const std::string& parametros) {
        const std::string leitura = "select first ? " + lista + " from " + nomeTabela +
                                    condicao + ordem;
        std::string l = "for execute statement (" + LiteralSql(leitura) + ") (" +
                        std::to_string(TCopiaExterna::LinhasPorLote) + " - N" + parametros +
                        ")\non external :ORIGEM as user :USUARIO password :SENHA\ninto " +
                        Juntar(variaveis, ",") + "\ndo begin\ninsert into " + nomeTabela + " (" +
                        lista + ") values (" + Juntar(variaveis, ",") + ");\nN = N + 1;\n";
        for (std::size_t k = 0; k < chave.size(); ++k)
            l += "U" + std::to_string(k + 1) + " = V" + std::to_string(chave[k] + 1) + ";\n";
        return l + "end\n";
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
            parametros += ", :K" + std::to_string(k + 1);
        }
        if (nivel < chave.size())
            b += "if (N < " + std::to_string(TCopiaExterna::LinhasPorLote) + ") then\n";
        b += "begin\n" + laco(condicao, parametros) + "end\n";
    }
    // Its one row of results is delivered by suspend: a block with results is a select.
    b += "end\nsuspend;\nend";
    return b;
}

} // namespace

// The statement of one batch and how its parameters lie: input 0 says whether it is the first
// batch, inputs 1..n are the last key of the batch before, then the source's address, user
// and password; output 0 is the number of rows written, outputs 1..n the batch's last key.
struct TCopiaExterna::TPlano {
    std::string Bloco;
    std::size_t ColunasChave = 0;
    std::string Origem, Usuario, Senha;
};

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

TCaminhoCopia TCopiaExterna::Escolher()
{
    FMotivoCliente.clear();
    FCaminho = Planejar(FCopia.Leitor().SQLLeitura()) ? TCaminhoCopia::Servidor
                                                      : TCaminhoCopia::Cliente;
    return FCaminho;
}

std::int64_t TCopiaExterna::Executar()
{
    FCaminho = TCaminhoCopia::Cliente;
    FMotivoCliente.clear();
    if (const std::optional<TPlano> plano = Planejar(FCopia.Leitor().SQLLeitura())) {
        FCaminho = TCaminhoCopia::Servidor;
        if (const std::optional<std::int64_t> gravadas = CopiarPeloServidor(*plano))
            return *gravadas;
        FCaminho = TCaminhoCopia::Cliente;
    }
    return FCopia.Executar();
}

// Decides whether the destination's server can pull the table, and what it runs per batch.
std::optional<TCopiaExterna::TPlano> TCopiaExterna::Planejar(const std::string& sql)
{
    TConexao& origem = FCopia.Leitor().Conexao();
    TConexao& destino = FCopia.Escritor().Conexao();
    const std::string texto = ConverterParaBanco(sql);
    const std::vector<TColunaDescrita> lidas = Descrever(origem, texto);
    const std::vector<TColunaDescrita> colunas = Descrever(destino, texto);
    auto temBlob = [](const TColunaDescrita& c) { return c.Blob; };
    if (std::any_of(colunas.begin(), colunas.end(), temBlob) ||
        std::any_of(lidas.begin(), lidas.end(), temBlob)) {
        FMotivoCliente = "a tabela tem colunas blob";
        return std::nullopt;
    }
    const std::string tabela = colunas.empty() ? std::string() : colunas.front().Tabela;
    const std::string nomeTabela = NomeSql(tabela);
    std::vector<std::string> nomes;
    for (const TColunaDescrita& coluna : colunas)
        nomes.push_back(NomeSql(coluna.Nome));
    const std::string lista = Juntar(nomes, ",");
    // The server reads whole tables only: a select with a condition, a join or anything else
    // of its own is left to the client's way, which runs it as written.
    if (tabela.empty() || texto != "select " + lista + " from " + nomeTabela) {
        FMotivoCliente = "a leitura não é a de uma tabela inteira";
        return std::nullopt;
    }

    // The batches are read in ascending key order, which a descending key's index cannot serve.
    const TChavePrimaria chavePrimaria = LerChavePrimaria(origem, tabela);
    if (chavePrimaria.Colunas.empty() || chavePrimaria.Descendente) {
        FMotivoCliente = "a tabela não tem chave primária de índice ascendente";
        return std::nullopt;
    }
    std::vector<std::size_t> chave; // the key's columns, by position in the select list
    for (const std::string& nome : chavePrimaria.Colunas) {
        const auto achada = std::find_if(colunas.begin(), colunas.end(),
                                         [&](const TColunaDescrita& c) { return c.Nome == nome; });
        if (achada == colunas.end()) {
            FMotivoCliente = "a chave primária não está entre as colunas copiadas";
            return std::nullopt;
        }
        chave.push_back(static_cast<std::size_t>(achada - colunas.begin()));
    }
    TPlano plano;
    plano.ColunasChave = chave.size();
    const TPerfilConexao perfil = FPerfilExterno.value_or(origem.Perfil());
    plano.Origem = EnderecoExterno(perfil, origem.Banco());
    plano.Usuario = perfil.Usuario;
    plano.Senha = perfil.Senha;
    plano.Bloco =
        TextoBloco(nomeTabela, nomes, chave, plano.Origem, plano.Usuario, plano.Senha);
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
            comando.reset(destino.Anexo()->prepare(
                &status, destino.Transacao(), static_cast<unsigned>(plano.Bloco.size()),
                plano.Bloco.c_str(), TConexao::Dialeto, IStatement::PREPARE_PREFETCH_METADATA));
        } catch (const EBancoDados& erro) {
            // A server that cannot compile the statement (one without external reads, say)
            // leaves the table to the client's way, which reports any real fault itself.
            destino.Rollback();
            FMotivoCliente = erro.what();
            return std::nullopt;
        }
        fb::TMetadados entrada(comando->getInputMetadata(&status));
        fb::TMetadados saida(comando->getOutputMetadata(&status));
        std::vector<unsigned char> parametros(entrada->getMessageLength(&status));
        std::vector<unsigned char> resultado(saida->getMessageLength(&status));

        const auto n = static_cast<unsigned>(plano.ColunasChave);
        for (unsigned i = 1; i <= n; ++i)
            if ((entrada->getType(&status, i) & ~1u) != (saida->getType(&status, i) & ~1u) ||
                entrada->getLength(&status, i) != saida->getLength(&status, i)) {
                destino.Rollback();
                FMotivoCliente = "a chave não passa de um lote ao seguinte sem conversão";
                return std::nullopt;
            }
        GravarTexto(parametros.data(), entrada.get(), n + 1, plano.Origem);
        GravarTexto(parametros.data(), entrada.get(), n + 2, plano.Usuario);
        GravarTexto(parametros.data(), entrada.get(), n + 3, plano.Senha);
        auto inicio = reinterpret_cast<std::int16_t*>(parametros.data() +
                                                      entrada->getOffset(&status, 0));
        *inicio = 1;
        for (unsigned i = 0; i <= n; ++i)
            std::memset(parametros.data() + entrada->getNullOffset(&status, i), 0, sizeof(short));

        for (;;) {
            if (FCancelamento)
                FCancelamento->Verificar();
            try {
                comando->execute(&status, destino.Transacao(), entrada.get(), parametros.data(),
                                 saida.get(), resultado.data());
            } catch (const EBancoDados& erro) {
                if (!primeiro || !RecusaDoServidor(erro))
                    throw;
                destino.Rollback();
                FMotivoCliente = erro.what();
                return std::nullopt;
            }
            std::int32_t lidas;
            std::memcpy(&lidas, resultado.data() + saida->getOffset(&status, 0), sizeof lidas);
            const bool ultimo = lidas < LinhasPorLote;
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
            // The next batch starts after this one's last key; inputs and outputs of the key
            // have the same layout, so the values move over byte for byte.
            *inicio = 0;
            for (unsigned i = 1; i <= n; ++i)
                std::memcpy(parametros.data() + entrada->getOffset(&status, i),
                            resultado.data() + saida->getOffset(&status, i),
                            saida->getLength(&status, i));
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
