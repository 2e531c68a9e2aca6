#include "VerificacaoPrevia.h"

#include "Conexao.h"
#include "Consulta.h"
#include "ListaTextos.h"
#include "NomeSql.h"
#include "PassosChavesEstrangeiras.h"

namespace {

// Everyone else attached to the database, but the server's own workers.
const char* const SQLConexoes =
    "  select trim(MON$USER) as USUARIO,\r\n"
    "         trim(MON$REMOTE_ADDRESS) as ENDERECO,\r\n"
    "         trim(MON$REMOTE_PROCESS) as PROGRAMA,\r\n"
    "         lpad(extract(day from MON$TIMESTAMP), 2, '0') || '/' ||\r\n"
    "         lpad(extract(month from MON$TIMESTAMP), 2, '0') || '/' ||\r\n"
    "         extract(year from MON$TIMESTAMP) || ' ' ||\r\n"
    "         substring(cast(cast(MON$TIMESTAMP as time) as varchar(13)) from 1 for 8) as DESDE\r\n"
    "    from MON$ATTACHMENTS\r\n"
    "   where MON$ATTACHMENT_ID <> current_connection\r\n"
    "     and coalesce(MON$SYSTEM_FLAG, 0) = 0\r\n"
    "order by MON$TIMESTAMP\r\n";

// The name of a column type the copy cannot carry, or nothing when it can. The types of later
// server versions are named so that the operator knows what to change.
std::string TipoNaoTransportado(const TColunaCatalogo& coluna)
{
    if (coluna.Vetor)
        return "ARRAY";
    switch (coluna.Tipo) {
    case 7:   // smallint
    case 8:   // integer
    case 10:  // float
    case 11:  // d_float
    case 12:  // date
    case 13:  // time
    case 14:  // char
    case 16:  // bigint and numeric
    case 23:  // boolean
    case 27:  // double precision
    case 35:  // timestamp
    case 37:  // varchar
    case 261: // blob
        return {};
    case 24:
        return "DECFLOAT(16)";
    case 25:
        return "DECFLOAT(34)";
    case 26:
        return "INT128";
    case 28:
        return "TIME WITH TIME ZONE";
    case 29:
        return "TIMESTAMP WITH TIME ZONE";
    default:
        return "de código " + std::to_string(coluna.Tipo);
    }
}

std::vector<std::string> Conexoes(TConexao& conexao)
{
    TConsulta consulta(&conexao, SQLConexoes);
    consulta.Abrir();
    std::vector<std::string> conexoes;
    const auto valor = [&consulta](const char* coluna) {
        const std::string texto = consulta.Campo(coluna).ComoTexto();
        return texto.empty() ? std::string("?") : texto;
    };
    for (; !consulta.Eof(); consulta.Proximo())
        conexoes.push_back("usuário " + valor("USUARIO") + ", endereço " + valor("ENDERECO") +
                           ", programa " + valor("PROGRAMA") + ", desde " + valor("DESDE"));
    return conexoes;
}

} // namespace

const char* const TVerificacaoPrevia::ComoDescartarPendentes =
    "Essas chaves estrangeiras pendentes vêm de uma importação anterior neste DESTINO que não "
    "terminou. Depois de conferi-las, importe com a opção --descartar-chaves-pendentes da linha "
    "de comando para descartar o que está acima; as demais chaves pendentes são recriadas.";

TResultadoVerificacaoPrevia TVerificacaoPrevia::Verificar()
{
    TResultadoVerificacaoPrevia resultado;
    const TCatalogoRelacoes origem = LerCatalogoRelacoes(FContexto.ConexaoOrigem);
    const TCatalogoRelacoes destino = LerCatalogoRelacoes(FContexto.ConexaoDestino);
    for (const TImpedimentoTabela& impedimento : VerificarTabelas(origem, destino, FExcecoes))
        resultado.Impedimentos.push_back(impedimento.Texto);
    const std::vector<TImpedimentoTabela> pendentes = FChaves.ConferirPendentes(destino);
    for (const TImpedimentoTabela& pendente : pendentes)
        (FChaves.Descarte() ? resultado.Avisos : resultado.Impedimentos)
            .push_back(FChaves.Descarte() ? "Descartado: " + pendente.Texto : pendente.Texto);
    if (!pendentes.empty() && !FChaves.Descarte())
        resultado.Impedimentos.push_back(ComoDescartarPendentes);
    for (const std::string& conexao : Conexoes(FContexto.ConexaoDestino))
        resultado.Impedimentos.push_back("O banco de dados de DESTINO está em uso por outra "
                                         "conexão: " +
                                         conexao + ".");
    for (const std::string& conexao : Conexoes(FContexto.ConexaoOrigem))
        resultado.Avisos.push_back("Atenção: o banco de dados de ORIGEM está em uso por outra "
                                   "conexão (" +
                                   conexao +
                                   "); a cópia de um banco em uso pode não ser consistente.");
    resultado.NaoCopiadas = TabelasNaoCopiadas(FContexto.ConexaoOrigem, origem, destino);
    return resultado;
}

std::vector<TTabelaNaoCopiada> TVerificacaoPrevia::TabelasNaoCopiadas(
    TConexao& conexaoOrigem, const TCatalogoRelacoes& origem, const TCatalogoRelacoes& destino)
{
    std::vector<TTabelaNaoCopiada> naoCopiadas;
    for (const auto& [tabela, relacao] : origem) {
        if (relacao.Visao)
            continue;
        if (const auto noDestino = destino.find(tabela);
            noDestino != destino.end() && !noDestino->second.Visao)
            continue;
        TConsulta consulta(&conexaoOrigem, "select count(*) from " + NomeSql(tabela));
        consulta.Abrir();
        if (const std::int64_t linhas = consulta.Campo(0).ComoInteiro64(); linhas > 0)
            naoCopiadas.push_back({tabela, linhas});
    }
    return naoCopiadas;
}

std::vector<TImpedimentoTabela> TVerificacaoPrevia::VerificarTabelas(
    const TCatalogoRelacoes& origem, const TCatalogoRelacoes& destino,
    const TListaTextos& excecoes)
{
    std::vector<TImpedimentoTabela> impedimentos;
    for (const auto& [tabela, relacao] : destino) {
        if (relacao.Visao || excecoes.Contem(tabela))
            continue;
        const auto fonte = origem.find(tabela);
        if (fonte == origem.end()) {
            impedimentos.push_back({tabela, {},
                                    "A tabela " + tabela + " do DESTINO não existe na ORIGEM."});
            continue;
        }
        bool algumaCopiada = false;
        for (const TColunaCatalogo& coluna : relacao.Colunas) {
            if (!coluna.Copiada())
                continue;
            algumaCopiada = true;
            const std::string nome = tabela + "." + coluna.Nome;
            const TColunaCatalogo* lida = fonte->second.Coluna(coluna.Nome);
            if (!lida) {
                impedimentos.push_back(
                    {tabela, coluna.Nome,
                     "A coluna " + nome + " do DESTINO não existe na ORIGEM."});
                continue;
            }
            for (const auto& [lado, vista] : {std::pair{"do DESTINO", &coluna}, {"da ORIGEM", lida}}) {
                const std::string tipo = TipoNaoTransportado(*vista);
                if (!tipo.empty())
                    impedimentos.push_back({tabela,
                                            coluna.Nome,
                                            "A coluna " + nome + " " + lado + " é do tipo " +
                                                tipo + ", que a importação não sabe copiar."});
            }
        }
        if (!algumaCopiada)
            impedimentos.push_back({tabela, {},
                                    "A tabela " + tabela + " do DESTINO não tem colunas a copiar."});
    }
    return impedimentos;
}

std::string TVerificacaoPrevia::Mensagem(const std::vector<std::string>& impedimentos)
{
    std::string mensagem = "A importação não pode ser iniciada:";
    for (const std::string& impedimento : impedimentos)
        mensagem += "\r\n- " + impedimento;
    return mensagem;
}
