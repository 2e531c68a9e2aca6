#include "PassosTabelas.h"

#include "AcompanhamentoMigracao.h"
#include "Cancelamento.h"
#include "Conexao.h"
#include "ContagemOrigem.h"
#include "CopiaExterna.h"
#include "EnderecoExterno.h"
#include "NomeSql.h"
#include "ProvaMigracao.h"
#include "RegistroChavesPendentes.h"
#include "Utilidades.h"

#include <algorithm>
#include <chrono>
#include <optional>

namespace {

const char* const TabelaVersao = "SCRIPTS";

const char* const SQLTabelas =
    "  select RDB$RELATION_NAME as TABELA\r\n"
    "    from RDB$RELATIONS\r\n"
    "   where RDB$SYSTEM_FLAG = 0\r\n"
    "     and RDB$VIEW_SOURCE is null\r\n"
    "order by 1\r\n";

// One column name per row, in the table's own column order, so that each name can be written
// into the select as it needs to be.
const char* const SQLCamposInicio =
    "select RF.RDB$FIELD_NAME  from RDB$RELATION_FIELDS RF  join RDB$FIELDS FI    on "
    "FI.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE where RF.RDB$RELATION_NAME = ";
const char* const SQLCamposFim =
    "   and FI.RDB$COMPUTED_SOURCE is null   and trim(RF.RDB$FIELD_NAME) <> 'COD_ATUALIZACAO'"
    " order by RF.RDB$FIELD_POSITION";

} // namespace

TPassosTabelas::TPassosTabelas(const TContextoMigracao& contexto)
    : FContexto(contexto),
      FExcecoes{"ANP",
                "ATALHOS_COMANDOS",
                "BANCO",
                "BLOQUEIOS",
                "BLOQUEIOS_ITENS",
                "CARTEIRA",
                "CEST",
                "CEST_NCM",
                "CFOP",
                "CIDADES",
                "CODIGO_SITUACAO_TRIBUTARIA",
                "CST_CSOSN",
                "DRE",
                "ESTADO",
                "IMPOSTO",
                "NCM",
                "PAISES",
                "SERVICOS",
                "SQL_HISTORICO",
                "TERMINAL_CONECTADO",
                "URL_CONSULTA_CTE",
                "URL_CONSULTA_NFCE",
                "VALES_PDV"},
      sqlTabelas(&contexto.ConexaoDestino, SQLTabelas),
      sqlSelectFields(&contexto.ConexaoDestino),
      batMove(contexto.ConexaoOrigem, contexto.ConexaoDestino),
      batMoveReader(batMove.Leitor()),
      batMoveWriter(batMove.Escritor()),
      FIndices(contexto)
{
    batMove.DefinirCancelamento(&contexto.Cancelamento);
}

void TPassosTabelas::DecidirCaminhoCopia()
{
    TConexao& origem = FContexto.ConexaoOrigem;
    FLeituraExterna =
        EscolherLeituraExterna(FContexto.ConexaoDestino, origem.Perfil(), origem.Banco());
    if (!FLeituraExterna)
        FContexto.Acompanhamento.AdicionarLog(
            "O servidor do DESTINO não abre a ORIGEM; as tabelas serão copiadas por este "
            "programa.");
}

void TPassosTabelas::CarregarTabelas()
{
    TAcompanhamentoMigracao& acompanhamento = FContexto.Acompanhamento;
    acompanhamento.AdicionarLog("Carregando tabelas...");
    acompanhamento.Reiniciar(TBarra::Atual, 1);

    FTabelas.Limpar();
    sqlTabelas.Fechar();
    sqlTabelas.Abrir();
    PercorrerDataSet(sqlTabelas, [this] {
        const std::string tabela = sqlTabelas.Campo("TABELA").ComoTexto();
        if (!FExcecoes.Contem(tabela) && tabela != TRegistroChavesPendentes::Tabela)
            FTabelas.Adicionar(tabela);
    });
    sqlTabelas.Fechar();

    acompanhamento.Avancar(TBarra::Atual);
    acompanhamento.Avancar(TBarra::Total);
}

void TPassosTabelas::ImportarTabelas()
{
    TAcompanhamentoMigracao& acompanhamento = FContexto.Acompanhamento;
    FMantidas.clear();
    FResumo.Limpar();
    FResumo.Iniciar();
    if (FProva) {
        FProva->Reiniciar();
        FMantidas = FProva->TabelasIguais({FTabelas.begin(), FTabelas.end()});
        for (TVereditoTabela& veredito : FMantidas)
            veredito.Mantida = true;
        for (bool mudou = true; mudou;) {
            mudou = false;
            for (const TChaveEstrangeira& chave : FChaves) {
                if (chave.Tabela == chave.TabelaReferenciada || !Mantida(chave.Tabela) ||
                    Mantida(chave.TabelaReferenciada) || !FTabelas.Contem(chave.TabelaReferenciada))
                    continue;
                FMantidas.erase(std::find_if(FMantidas.begin(), FMantidas.end(),
                                             [&chave](const TVereditoTabela& veredito) {
                                                 return veredito.Tabela == chave.Tabela;
                                             }));
                mudou = true;
            }
        }
    }

    std::vector<std::string> recarregadas;
    for (const std::string& tabela : FTabelas)
        if (!Mantida(tabela))
            recarregadas.push_back(tabela);
    if (FProva)
        FProva->DefinirIndicesAtivos(TPassosIndices::Ativos(FContexto.ConexaoDestino));
    FIndices.Desativar(recarregadas);

    acompanhamento.Reiniciar(TBarra::Atual, FTabelas.Quantidade());
    for (const std::string& tabela : FTabelas) {
        if (Mantida(tabela))
            acompanhamento.AdicionarLog("Mantendo tabela igual à da ORIGEM... " + tabela);
        else
            LimparTabela(tabela);
        acompanhamento.Avancar(TBarra::Atual);
    }

    std::vector<std::string> copiadas;
    for (const std::string& tabela : FTabelas)
        if (!Mantida(tabela))
            copiadas.push_back(tabela);
    TContagemOrigem contagem(FContexto.ConexaoOrigem, std::move(copiadas), acompanhamento);
    struct TEsquecerContagem {
        TContagemOrigem*& Contagem;
        ~TEsquecerContagem() { Contagem = nullptr; }
    } esquecer{FContagem};
    FContagem = &contagem;
    std::optional<TProvaAntecipada> antecipada;
    if (FProva)
        antecipada.emplace(FContexto.ConexaoOrigem, FContexto.ConexaoDestino);
    acompanhamento.Reiniciar(TBarra::Atual, FTabelas.Quantidade());
    for (const std::string& tabela : FTabelas) {
        if (Mantida(tabela)) {
            RegistrarMantida(tabela);
        } else {
            ImportarTabela(tabela);
            FIndices.Ativar(tabela);
            if (antecipada)
                antecipada->Provar(FProva->Tabela(tabela));
        }
        acompanhamento.Avancar(TBarra::Atual);
    }
    contagem.Concluir();
    if (antecipada) {
        std::string interrupcao;
        FProva->DefinirAntecipadas(antecipada->Concluir(interrupcao));
        if (!interrupcao.empty())
            acompanhamento.AdicionarLog("Conferência durante a cópia interrompida: " +
                                        interrupcao +
                                        " As tabelas restantes serão conferidas no final.");
    }
    FIndices.Concluir();

    acompanhamento.AdicionarLog("Tabelas importadas: " + std::to_string(FTabelas.Quantidade()) +
                                ".");
    acompanhamento.Avancar(TBarra::Total);
}

bool TPassosTabelas::Mantida(const std::string& tabela) const
{
    for (const TVereditoTabela& veredito : FMantidas)
        if (veredito.Tabela == tabela)
            return true;
    return false;
}

void TPassosTabelas::RegistrarMantida(const std::string& tabela)
{
    for (const TVereditoTabela& veredito : FMantidas)
        if (veredito.Tabela == tabela)
            FResumo.Registrar({tabela, veredito.LinhasDestino, 0, TCaminhoResumo::Mantida});
}

void TPassosTabelas::LimparTabela(const std::string& tabela)
{
    FContexto.Cancelamento.Verificar();
    FContexto.Acompanhamento.AdicionarLog("Limpando tabela... " + tabela);
    if (tabela != TabelaVersao)
        FContexto.ConexaoDestino.Executar("delete FROM " + NomeSql(tabela));
}

std::string TPassosTabelas::GetSQLSelect(const std::string& tabela)
{
    sqlSelectFields.Fechar();
    sqlSelectFields.DefinirSQL(SQLCamposInicio + LiteralSql(tabela) + SQLCamposFim);
    sqlSelectFields.Abrir();
    std::string campos;
    PercorrerDataSet(sqlSelectFields, [&campos](TConsulta& consulta) {
        if (!campos.empty())
            campos += ',';
        campos += NomeSql(consulta.Campo(0).ComoTexto());
    });
    sqlSelectFields.Fechar();
    return "select " + campos + " from " + NomeSql(tabela);
}

void TPassosTabelas::ImportarTabela(const std::string& tabela)
{
    FContexto.Cancelamento.Verificar();
    FContexto.Acompanhamento.AdicionarLog("Importando tabela... " + tabela);
    const std::string sql = GetSQLSelect(tabela);
    batMoveReader.DefinirSQLLeitura(sql);
    batMoveWriter.DefinirSQLLeitura(sql);

    TAcompanhamentoMigracao& acompanhamento = FContexto.Acompanhamento;
    IRelatorioMigracao& relatorio = acompanhamento.Relatorio();
    acompanhamento.IniciarTabela(tabela, FContagem ? FContagem->Linhas(tabela) : -1);
    const auto inicio = std::chrono::steady_clock::now();
    std::int64_t escritas = 0;
    TCopiaExterna copia(batMove);
    if (FLeituraExterna)
        copia.DefinirLeituraExterna(*FLeituraExterna);
    copia.DefinirCancelamento(&FContexto.Cancelamento);
    copia.DefinirObservadorProgresso([&acompanhamento, &relatorio, &tabela, &escritas,
                                      inicio](std::int64_t linhas) {
        escritas = linhas;
        const std::chrono::duration<double> decorrido = std::chrono::steady_clock::now() - inicio;
        const double porSegundo =
            decorrido.count() > 0 ? static_cast<double>(linhas) / decorrido.count() : 0.0;
        acompanhamento.ProgressoTabela(linhas, porSegundo);
        relatorio.ProgressoCopia(tabela, linhas, porSegundo);
    });

    // A table the copy fails on is summed up too, with the rows it had committed.
    const bool pelaCopiaExterna = FLeituraExterna && tabela != TabelaVersao;
    const auto registrar = [&] {
        const std::chrono::duration<double> decorrido = std::chrono::steady_clock::now() - inicio;
        const bool servidor = pelaCopiaExterna && copia.Caminho() == TCaminhoCopia::Servidor;
        FResumo.Registrar({tabela, escritas, decorrido.count(),
                           servidor ? TCaminhoResumo::Servidor : TCaminhoResumo::Cliente});
    };
    try {
        if (pelaCopiaExterna)
            escritas = copia.Executar();
        else if (tabela != TabelaVersao)
            escritas = batMove.Executar();
        else
            escritas = CopiarTabelaVersao(tabela);
    } catch (...) {
        // The version table's rows go in one transaction, which the failure rolled back.
        if (tabela == TabelaVersao)
            escritas = 0;
        registrar();
        throw;
    }
    acompanhamento.ConcluirTabela();
    registrar();
}

std::int64_t TPassosTabelas::CopiarTabelaVersao(const std::string& tabela)
{
    // The version table takes the client's way: the row copy commits the transaction it finds
    // open together with its rows, and rolls it back when it fails.
    TConexao& destino = FContexto.ConexaoDestino;
    destino.IniciarTransacao();
    try {
        destino.Executar("delete FROM " + NomeSql(tabela));
    } catch (...) {
        // The delete's own failure is what the caller must see; a rollback that also fails
        // (the server is gone, say) has nothing to add to it.
        try {
            destino.Rollback();
        } catch (const EBancoDados&) {
        }
        throw;
    }
    return batMove.Executar();
}
