#include "VerificacaoTabela.h"

#include "CondicaoCheck.h"
#include "Consulta.h"
#include "ErroBancoDados.h"
#include "Estreitamento.h"
#include "ListaTextos.h"
#include "NomeSql.h"

#include <algorithm>
#include <cctype>

namespace {

const char* const Apelido = "LINHA_ORIGEM";

// Character sets whose every character WIN1252 holds, or whose bytes pass unconverted.
bool SemConversao(int conjunto)
{
    return conjunto == 0 || conjunto == 1 || conjunto == 2 || conjunto == 53;
}

bool TextoOuTextoLongo(const TColunaCatalogo& coluna)
{
    return coluna.Texto() || coluna.TextoLongo();
}

// The declared type as the operator knows it, for the messages.
std::string TipoDeclarado(const TColunaCatalogo& coluna)
{
    if (coluna.Precisao > 0)
        return "numeric(" + std::to_string(coluna.Precisao) + "," + std::to_string(coluna.Escala) +
               ")";
    return coluna.TipoSql(false);
}

// A text of several lines, or of runs of blanks, as one line of the log.
std::string UmaLinha(const std::string& texto)
{
    std::string linha;
    for (const char c : texto) {
        const bool branco = std::isspace(static_cast<unsigned char>(c));
        if (!branco)
            linha += c;
        else if (!linha.empty() && linha.back() != ' ')
            linha += ' ';
    }
    while (!linha.empty() && linha.back() == ' ')
        linha.pop_back();
    return linha;
}

// The sources are read as bytes (OCTETS): the server keeps them in UTF-8, and a character
// WIN1252 lacks would make the connection refuse the whole list. Not as blobs: the server
// converts a text blob to the connection's set as it is read, whatever it was cast to.
const char* const SQLChecks =
    "  select trim(RC.RDB$RELATION_NAME) as TABELA,\r\n"
    "         trim(RC.RDB$CONSTRAINT_NAME) as NOME,\r\n"
    "         cast(null as varchar(63) character set UNICODE_FSS) as COLUNA,\r\n"
    "         cast(T.RDB$TRIGGER_SOURCE as varchar(32765) character set OCTETS) as FONTE\r\n"
    "    from RDB$RELATION_CONSTRAINTS RC\r\n"
    "    join RDB$CHECK_CONSTRAINTS CC\r\n"
    "      on CC.RDB$CONSTRAINT_NAME = RC.RDB$CONSTRAINT_NAME\r\n"
    "    join RDB$TRIGGERS T\r\n"
    "      on T.RDB$TRIGGER_NAME = CC.RDB$TRIGGER_NAME\r\n"
    "   where RC.RDB$CONSTRAINT_TYPE = 'CHECK'\r\n"
    "     and T.RDB$TRIGGER_TYPE = 1\r\n"
    "     and T.RDB$TRIGGER_SOURCE is not null\r\n"
    "   union all\r\n"
    "  select trim(RF.RDB$RELATION_NAME), trim(F.RDB$FIELD_NAME), trim(RF.RDB$FIELD_NAME),\r\n"
    "         cast(F.RDB$VALIDATION_SOURCE as varchar(32765) character set OCTETS)\r\n"
    "    from RDB$RELATION_FIELDS RF\r\n"
    "    join RDB$FIELDS F\r\n"
    "      on F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE\r\n"
    "   where F.RDB$VALIDATION_SOURCE is not null\r\n"
    "     and coalesce(RF.RDB$SYSTEM_FLAG, 0) = 0\r\n"
    "order by 1, 3, 2\r\n";

// One condition the aggregate pass counts, and the problem it stands for.
struct TCondicao {
    TProblemaVerificacao Problema;
    std::string Sql; // true for an offending row; columns qualified by Apelido
};

// One value the PSQL pass assigns, row by row, as the run would write it.
struct TConversao {
    const TColunaCatalogo* Origem;
    const TColunaCatalogo* Destino;
    bool PassaWin1252; // the run reads it through WIN1252, which may refuse it
    bool Convertida;   // the destination's type differs: the assignment may refuse or round
    bool Estreita;     // the assignment may change the value silently: each is read back
};

class TVerificacao {
public:
    TVerificacao(TConexao& origem, const TTabelaVerificada& tabela)
        : FOrigem(origem),
          FTabela(tabela),
          FCampos(CamposIdentificacao(tabela.ChavesDestino))
    {
    }

    std::vector<TProblemaVerificacao> Executar()
    {
        for (const TColunaCatalogo& destino : FTabela.Destino.Colunas) {
            if (destino.Copiada()) {
                if (const TColunaCatalogo* origem = FTabela.Origem.Coluna(destino.Nome))
                    VerificarColuna(*origem, destino);
            } else if (!destino.Calculada && destino.Obrigatoria && !destino.Padrao) {
                // COD_ATUALIZACAO: the run's insert leaves it out, so every row gets NULL.
                Adicionar(false, "coluna " + destino.Nome,
                          "coluna obrigatória do DESTINO sem valor padrão, que a importação não "
                          "preenche",
                          "1 = 1");
            }
        }
        for (const TColunaCatalogo& origem : FTabela.Origem.Colunas)
            if (origem.Copiada() && !origem.Vetor && !FTabela.Destino.Coluna(origem.Nome))
                Adicionar(true, "coluna " + origem.Nome,
                          "coluna que o DESTINO não tem; seus valores não serão copiados",
                          Coluna(origem.Nome) + " is not null");
        for (const auto& [chave, pai] : FTabela.ChavesEstrangeiras)
            VerificarPai(chave, *pai);
        ContarCondicoes();
        ConverterPeloServidor();
        for (const TChaveUnica& chave : FTabela.ChavesDestino)
            VerificarChaveUnica(chave);
        return std::move(FProblemas);
    }

private:
    std::string Coluna(const std::string& nome) const
    {
        return ExpressaoOrigem(FTabela.Origem, nome, std::string(Apelido) + ".");
    }

    std::string De() const { return " from " + NomeSql(FTabela.Nome) + " " + Apelido; }

    TProblemaVerificacao Problema(bool aviso, std::string alvo, std::string descricao) const
    {
        TProblemaVerificacao problema;
        problema.Aviso = aviso;
        problema.Tabela = FTabela.Nome;
        problema.Alvo = std::move(alvo);
        problema.Descricao = std::move(descricao);
        return problema;
    }

    void Adicionar(bool aviso, std::string alvo, std::string descricao, std::string sql)
    {
        FCondicoes.push_back({Problema(aviso, std::move(alvo), std::move(descricao)),
                              std::move(sql)});
    }

    void VerificarColuna(const TColunaCatalogo& origem, const TColunaCatalogo& destino)
    {
        if (origem.Vetor || destino.Vetor || origem.TipoSql().empty() ||
            destino.TipoSql().empty())
            return;
        // The source's own NOT NULL is no proof: a column made NOT NULL by an older server
        // may still hold NULLs in the rows it had.
        if (destino.Obrigatoria && !(origem.SimNao() && !FTabela.Origem.Visao))
            Adicionar(false, "coluna " + destino.Nome, "valor nulo em coluna obrigatória do DESTINO",
                      Coluna(origem.Nome) + " is null");
        TConversao conversao{&origem, &destino,
                             TextoOuTextoLongo(origem) && !SemConversao(origem.ConjuntoCaracteres),
                             !MesmoArmazenamento(origem, destino),
                             PodeEstreitar(origem, destino)};
        if (conversao.PassaWin1252 || conversao.Convertida)
            FConversoes.push_back(conversao);
    }

    // A row whose key has every column filled and no parent row with those values.
    void VerificarPai(const TChaveEstrangeira& chave, const TRelacaoCatalogo& pai)
    {
        const auto mesma = [&chave](const TChaveEstrangeira& outra) {
            return outra.Campos == chave.Campos &&
                   outra.TabelaReferenciada == chave.TabelaReferenciada &&
                   outra.CamposReferenciados == chave.CamposReferenciados;
        };
        if (!PreenchePorN(chave.Campos) &&
            std::any_of(FTabela.ChavesEstrangeirasOrigem.begin(),
                        FTabela.ChavesEstrangeirasOrigem.end(), mesma))
            return;
        std::vector<std::string> preenchidos;
        std::vector<std::string> iguais;
        for (std::size_t i = 0; i < chave.Campos.size(); ++i) {
            preenchidos.push_back(Coluna(chave.Campos[i]) + " is not null");
            iguais.push_back(ExpressaoOrigem(pai, chave.CamposReferenciados[i], "PAI.") + " = " +
                             Coluna(chave.Campos[i]));
        }
        Adicionar(false,
                  "chave estrangeira " + chave.Nome + " (" + Juntar(chave.Campos, ", ") + ")",
                  "registro pai ausente na tabela " + chave.TabelaReferenciada + " da ORIGEM",
                  "(" + Juntar(preenchidos, " and ") + " and not exists (select 1 from " +
                      NomeSql(chave.TabelaReferenciada) + " PAI where " +
                      Juntar(iguais, " and ") + "))");
    }

    // Whether the run's 'N' for a yes/no NULL may give these columns values the source's own
    // constraints never saw.
    bool PreenchePorN(const std::vector<std::string>& campos) const
    {
        return !FTabela.Origem.Visao &&
               std::any_of(campos.begin(), campos.end(), [this](const std::string& campo) {
                   const TColunaCatalogo* coluna = FTabela.Origem.Coluna(campo);
                   return coluna && coluna->SimNao();
               });
    }

    void ContarCondicoes()
    {
        if (FCondicoes.empty())
            return;
        std::vector<std::string> contagens;
        for (const TCondicao& condicao : FCondicoes)
            contagens.push_back("count(iif(" + condicao.Sql + ", 1, null))");
        TConsulta consulta(&FOrigem, "select " + Juntar(contagens, ", ") + De());
        consulta.Abrir();
        for (std::size_t i = 0; i < FCondicoes.size(); ++i) {
            const std::int64_t linhas = consulta.Campo(static_cast<int>(i)).ComoInteiro64();
            if (linhas == 0)
                continue;
            TProblemaVerificacao problema = std::move(FCondicoes[i].Problema);
            problema.Linhas = linhas;
            problema.Chaves = Exemplos(FCondicoes[i].Sql);
            FProblemas.push_back(std::move(problema));
        }
    }

    std::vector<std::string> Exemplos(const std::string& condicao)
    {
        if (FCampos.empty())
            return {};
        std::vector<std::string> colunas;
        for (const std::string& campo : FCampos)
            colunas.push_back(std::string(Apelido) + "." + NomeSql(campo));
        TConsulta consulta(&FOrigem, "select first " +
                                         std::to_string(TProblemaVerificacao::MaximoChaves) + " " +
                                         Juntar(colunas, ", ") + De() + " where " + condicao);
        consulta.Abrir();
        std::vector<std::string> chaves;
        for (; !consulta.Eof(); consulta.Proximo())
            chaves.push_back(TextoChave(consulta, FCampos));
        return chaves;
    }

    // The PSQL pass: the server assigns each value as the run would write it and evaluates the
    // destination's CHECK conditions on the results. When a condition cannot be put to the
    // source's rows (one that reads what the source lacks, say), the values are assigned
    // without the conditions, and each condition is tried on its own, so that the error names
    // the one that fails.
    void ConverterPeloServidor()
    {
        if (FConversoes.empty() && FTabela.Checks.empty())
            return;
        std::vector<TProblemaVerificacao> problemas;
        std::map<std::size_t, TProblemaVerificacao> semMudanca;
        try {
            problemas = ExecutarPasso(FTabela.Checks, semMudanca);
        } catch (const EBancoDados&) {
            if (FTabela.Checks.empty())
                throw;
            semMudanca.clear();
            problemas.clear();
            if (!FConversoes.empty())
                problemas = ExecutarPasso({}, semMudanca);
            for (const TRestricaoCheck& check : FTabela.Checks)
                problemas.push_back(AvaliarSozinha(check));
        }
        // A condition that could not be evaluated counts no rows.
        for (std::size_t p = 0; p < problemas.size(); ++p)
            if (problemas[p].Linhas != 0)
                FProblemas.push_back(std::move(problemas[p]));
            else if (const auto aviso = semMudanca.find(p); aviso != semMudanca.end())
                FProblemas.push_back(std::move(aviso->second));
    }

    // One condition's problem: the rows it refuses, or that it could not be evaluated.
    TProblemaVerificacao AvaliarSozinha(const TRestricaoCheck& check)
    {
        std::map<std::size_t, TProblemaVerificacao> semMudanca;
        try {
            return ExecutarPasso({check}, semMudanca).back();
        } catch (const EBancoDados& erro) {
            if (erro.PerdaDeConexao())
                throw;
            return Problema(false, check.Alvo(),
                            "condição que a verificação não pôde avaliar: " +
                                UmaLinha(check.Fonte) + " (" + UmaLinha(erro.what()) + ")");
        }
    }

    // SemMudanca: for the problem of each narrowing column whose values would change, the
    // warning that stands in its place when none does.
    std::vector<TProblemaVerificacao> ExecutarPasso(
        const std::vector<TRestricaoCheck>& checks,
        std::map<std::size_t, TProblemaVerificacao>& semMudanca)
    {
        const std::string tabela = NomeSql(FTabela.Nome);
        std::vector<TProblemaVerificacao> problemas;
        std::string declaracoes;
        std::string corpo;
        std::vector<std::string> selecionadas;
        std::vector<std::string> destinos;
        std::string chave = "''";
        for (std::size_t i = 0; i < FCampos.size(); ++i) {
            const std::string variavel = "K" + std::to_string(i);
            declaracoes += "declare " + variavel + " varchar(200);\n";
            selecionadas.push_back(NomeSql(FCampos[i]));
            destinos.push_back(variavel);
            chave += std::string(i ? " || ' '" : "") + " || " + LiteralSql(FCampos[i] + "=") +
                     " || coalesce(" + variavel + ", '')";
        }
        const auto contar = [&](std::size_t indice) {
            const std::string n = "N" + std::to_string(indice);
            return n + " = " + n + " + 1; if (" + n + " <= " +
                   std::to_string(TProblemaVerificacao::MaximoChaves) + ") then begin I = " +
                   std::to_string(indice) + "; CHAVE = " + chave + "; suspend; end\n";
        };

        // The value of every destination column as the run would insert it. Variables go without
        // their colon where the server allows it: the query takes ":NAME" for a parameter.
        std::map<std::string, std::string> valores;
        const auto ler = [&](const TColunaCatalogo& origem) {
            const std::string variavel = "S" + std::to_string(selecionadas.size());
            declaracoes += "declare " + variavel + " type of column " + tabela + "." +
                           NomeSql(origem.Nome) + ";\n";
            selecionadas.push_back(ExpressaoOrigem(FTabela.Origem, origem.Nome));
            destinos.push_back(variavel);
            return variavel;
        };
        for (std::size_t c = 0; c < FConversoes.size(); ++c) {
            const TConversao& conversao = FConversoes[c];
            const std::string sufixo = std::to_string(c);
            std::string valor = ler(*conversao.Origem);
            const std::string alvo = "coluna " + conversao.Destino->Nome;
            corpo += "begin\nE = 0;\n";
            if (conversao.PassaWin1252) {
                declaracoes += "declare W" + sufixo + " " +
                               (conversao.Origem->TextoLongo()
                                    ? std::string("blob sub_type text character set WIN1252")
                                    : "varchar(" +
                                          std::to_string(std::max(conversao.Origem->Caracteres, 1)) +
                                          ") character set WIN1252") +
                               ";\n";
                corpo += "W" + sufixo + " = " + valor + ";\nE = 1;\n";
                valor = "W" + sufixo;
                problemas.push_back(
                    Problema(false, alvo, "texto com caracteres que o WIN1252 não representa"));
            }
            const std::size_t recusa = problemas.size();
            problemas.push_back(Problema(false, alvo, DescricaoRecusa(*conversao.Destino)));
            declaracoes += "declare D" + sufixo + " " + conversao.Destino->TipoSql() + ";\n";
            corpo += "D" + sufixo + " = " + valor + ";\n";
            if (conversao.Estreita) {
                // Read back into the source's type, a value that changed differs; one that
                // cannot even be read back has changed too.
                corpo += "M = 0;\nbegin\nif (" +
                         Mudou(conversao, "D" + sufixo, valor) +
                         ") then M = 1;\nwhen any do M = 1;\nend\nif (M = 1) then begin " +
                         contar(problemas.size()) + "end\n";
                const std::string tipos = TipoDeclarado(*conversao.Origem) + " na ORIGEM ";
                semMudanca.emplace(problemas.size(),
                                   Problema(true, alvo,
                                            tipos + "e " + TipoDeclarado(*conversao.Destino) +
                                                " no DESTINO, que podem mudar valores; nenhum "
                                                "valor presente muda"));
                problemas.push_back(Problema(false, alvo,
                                             "valor que a cópia mudaria, de " + tipos + "para " +
                                                 TipoDeclarado(*conversao.Destino) +
                                                 " no DESTINO"));
            }
            corpo += "when any do begin F = 1; if (E = 0) then begin " +
                     contar(recusa - (conversao.PassaWin1252 ? 1 : 0)) + "end else begin " +
                     contar(recusa) + "end end\nend\n";
            valores[conversao.Destino->Nome] = "D" + sufixo;
        }
        if (!checks.empty()) {
            std::vector<std::string> linha;
            for (const TColunaCatalogo& destino : FTabela.Destino.Colunas) {
                if (destino.Calculada || destino.Vetor || destino.TipoSql().empty())
                    continue;
                const TColunaCatalogo* origem = FTabela.Origem.Coluna(destino.Nome);
                std::string valor;
                // ": NAME" with a blank: the server's parser takes it for the variable, which
                // a derived table needs, and the query's own parameters do not.
                if (valores.count(destino.Nome))
                    valor = ": " + valores[destino.Nome];
                else if (destino.Copiada() && origem)
                    valor = ": " + ler(*origem);
                else
                    valor = "cast(null as " + destino.TipoSql() + ")";
                linha.push_back(valor + " as " + NomeSql(destino.Nome));
            }
            corpo += "if (F = 0) then begin\n";
            for (const TRestricaoCheck& check : checks) {
                if (check.Condicao.empty())
                    throw EBancoDados::DaCamada("o texto guardado não tem a forma CHECK (...)");
                corpo += "if (exists(select 1 from (select " + Juntar(linha, ", ") +
                         " from RDB$DATABASE) " + tabela + " where not (" + check.Condicao +
                         "))) then begin " + contar(problemas.size()) + "end\n";
                problemas.push_back(Problema(false, check.Alvo(), check.Recusada()));
            }
            corpo += "end\n";
        }
        for (std::size_t p = 0; p < problemas.size(); ++p)
            declaracoes += "declare N" + std::to_string(p) + " bigint = 0;\n";

        std::string sql = "execute block returns (I integer, CHAVE varchar(2000), LINHAS bigint)\n"
                          "as\ndeclare E smallint;\ndeclare F smallint;\ndeclare M smallint;\n" +
                          declaracoes + "begin\nfor select " + Juntar(selecionadas, ", ") +
                          " from " + tabela + " into " + Juntar(destinos, ", ") +
                          " do begin\nF = 0;\n" + corpo + "end\nCHAVE = null;\n";
        for (std::size_t p = 0; p < problemas.size(); ++p)
            sql += "I = " + std::to_string(p) + "; LINHAS = N" + std::to_string(p) + "; suspend;\n";
        sql += "end";

        TConsulta consulta(&FOrigem, sql);
        consulta.Abrir();
        for (; !consulta.Eof(); consulta.Proximo()) {
            TProblemaVerificacao& problema =
                problemas.at(static_cast<std::size_t>(consulta.Campo("I").ComoInteiro()));
            if (!consulta.Campo("LINHAS").EhNulo())
                problema.Linhas = consulta.Campo("LINHAS").ComoInteiro64();
            else if (!FCampos.empty())
                problema.Chaves.push_back(consulta.Campo("CHAVE").ComoTexto());
        }
        return problemas;
    }

    // Whether the converted value, read back into the source's type, is not the original. A
    // text is compared byte by byte, so that case and blanks count, those a char pads to
    // its length apart.
    static std::string Mudou(const TConversao& conversao, const std::string& convertido,
                             const std::string& original)
    {
        const TColunaCatalogo& origem = *conversao.Origem;
        if (!origem.Texto() && !origem.TextoLongo())
            return "cast(" + convertido + " as " + origem.TipoSql(false) + ") is distinct from " +
                   original;
        const std::string conjunto = conversao.PassaWin1252 ? "WIN1252" : origem.NomeConjunto;
        const std::string emConjunto = conjunto.empty() ? "" : " character set " + conjunto;
        const std::string lido =
            origem.TextoLongo()
                ? "blob sub_type text" + emConjunto
                : std::string(origem.Tipo == 14 ? "char(" : "varchar(") +
                      std::to_string(std::max(origem.Caracteres, 1)) + ")" + emConjunto;
        // Four bytes a character at most; a text blob longer than a varchar holds reads as
        // no number, date or yes/no anyway.
        const std::string bytes =
            "varchar(" +
            std::to_string(origem.TextoLongo() ? 32765
                                               : std::min(std::max(origem.Caracteres, 1) * 4,
                                                          32765)) +
            ") character set OCTETS";
        return "cast(cast(" + convertido + " as " + lido + ") as " + bytes +
               ") is distinct from cast(" + original + " as " + bytes + ")";
    }

    static std::string DescricaoRecusa(const TColunaCatalogo& destino)
    {
        if (destino.Texto())
            return "texto maior que os " + std::to_string(destino.Caracteres) +
                   " caracteres da coluna do DESTINO";
        if (destino.Numero())
            return "número além do que a coluna do DESTINO comporta (" + TipoDeclarado(destino) +
                   ")";
        return "valor que a coluna do DESTINO (" + TipoDeclarado(destino) + ") não aceita";
    }

    // Rows that share the values of a destination unique key, unless the source enforces the
    // same key already under the same collations. The destination's index compares texts
    // under its columns' collations and lets rows pass only when every column of the key is
    // NULL: a NULL in part of the key counts as a value.
    void VerificarChaveUnica(const TChaveUnica& chave)
    {
        bool mesmasColacoes = true;
        std::vector<std::string> valores;
        std::vector<std::string> nulos;
        for (const std::string& campo : chave.Campos) {
            const TColunaCatalogo* origem = FTabela.Origem.Coluna(campo);
            const TColunaCatalogo* destino = FTabela.Destino.Coluna(campo);
            std::string valor = Coluna(campo);
            if (origem && destino && destino->Texto() && origem->Texto()) {
                if (origem->ConjuntoCaracteres != destino->ConjuntoCaracteres ||
                    origem->Colacao != destino->Colacao)
                    mesmasColacoes = false;
                valor = "cast(" + valor + " as " + destino->TipoSql(false) + ")";
                if (!destino->NomeColacao.empty())
                    valor += " collate " + destino->NomeColacao;
            }
            valores.push_back(valor);
            nulos.push_back(Coluna(campo) + " is null");
        }
        const auto mesmosCampos = [&chave](const TChaveUnica& outra) {
            return std::is_permutation(outra.Campos.begin(), outra.Campos.end(),
                                       chave.Campos.begin(), chave.Campos.end());
        };
        if (mesmasColacoes && !PreenchePorN(chave.Campos) &&
            std::any_of(FTabela.ChavesOrigem.begin(), FTabela.ChavesOrigem.end(), mesmosCampos))
            return;

        const std::string grupos = De() + " where not (" + Juntar(nulos, " and ") +
                                   ") group by " + Juntar(valores, ", ") +
                                   " having count(*) > 1";
        TConsulta total(&FOrigem,
                        "select coalesce(sum(REPETIDAS), 0) from (select count(*) as REPETIDAS" +
                            grupos + ")");
        total.Abrir();
        TProblemaVerificacao problema = Problema(
            false,
            std::string(chave.Primaria ? "chave primária " : "chave única ") + chave.Nome + " (" +
                Juntar(chave.Campos, ", ") + ")",
            "linhas com os mesmos valores da chave");
        problema.Linhas = total.Campo(0).ComoInteiro64();
        if (problema.Linhas == 0)
            return;
        TConsulta exemplos(&FOrigem, "select first " +
                                         std::to_string(TProblemaVerificacao::MaximoChaves) + " " +
                                         Juntar(valores, ", ") + grupos);
        exemplos.Abrir();
        for (; !exemplos.Eof(); exemplos.Proximo())
            problema.Chaves.push_back(TextoChave(exemplos, chave.Campos));
        FProblemas.push_back(std::move(problema));
    }

    TConexao& FOrigem;
    const TTabelaVerificada& FTabela;
    const std::vector<std::string> FCampos;
    std::vector<TCondicao> FCondicoes;
    std::vector<TConversao> FConversoes;
    std::vector<TProblemaVerificacao> FProblemas;
};

} // namespace

std::string ExpressaoOrigem(const TRelacaoCatalogo& relacao, const std::string& coluna,
                            const std::string& prefixo)
{
    const std::string nome = prefixo + NomeSql(coluna);
    const TColunaCatalogo* lida = relacao.Coluna(coluna);
    if (lida && lida->SimNao() && !relacao.Visao)
        return "coalesce(" + nome + ", 'N')";
    return nome;
}

std::vector<std::string> CamposIdentificacao(const std::vector<TChaveUnica>& chaves)
{
    return chaves.empty() ? std::vector<std::string>{} : chaves.front().Campos;
}

std::string TextoChave(const TConsulta& consulta, const std::vector<std::string>& campos)
{
    std::string texto;
    for (std::size_t i = 0; i < campos.size(); ++i)
        texto += (i ? " " : "") + campos[i] + "=" + consulta.Campo(static_cast<int>(i)).ComoTexto();
    return texto;
}

std::string TRestricaoCheck::Alvo() const
{
    return Coluna.empty() ? "restrição " + Nome : "coluna " + Coluna;
}

std::string TRestricaoCheck::Recusada() const
{
    return Coluna.empty() ? "linha que a condição da restrição recusa"
                          : "valor que a condição do domínio " + Nome + " recusa";
}

std::map<std::string, std::vector<TRestricaoCheck>> LerRestricoesCheck(TConexao& conexao)
{
    TConsulta consulta(&conexao, SQLChecks);
    consulta.Abrir();
    std::map<std::string, std::vector<TRestricaoCheck>> checks;
    for (; !consulta.Eof(); consulta.Proximo()) {
        const std::string tabela = consulta.Campo("TABELA").ComoTexto();
        TRestricaoCheck check{consulta.Campo("NOME").ComoTexto(),
                              consulta.Campo("COLUNA").ComoTexto(),
                              consulta.Campo("FONTE").ComoTexto(),
                              {}};
        // The statement puts the row's values under the table's name.
        const std::string valor =
            check.Coluna.empty() ? std::string() : NomeSql(tabela) + "." + NomeSql(check.Coluna);
        check.Condicao = CondicaoCheck(check.Fonte, valor).value_or(std::string());
        checks[tabela].push_back(std::move(check));
    }
    return checks;
}

std::vector<TProblemaVerificacao> VerificarTabela(TConexao& origem, const TTabelaVerificada& tabela)
{
    return TVerificacao(origem, tabela).Executar();
}
