#include "VerificacaoTabela.h"

#include "Consulta.h"
#include "ListaTextos.h"
#include "NomeSql.h"

#include <algorithm>

namespace {

const char* const Apelido = "LINHA_ORIGEM";

// Character sets whose every character WIN1252 holds, or whose bytes pass unconverted.
bool SemConversao(int conjunto)
{
    return conjunto == 0 || conjunto == 1 || conjunto == 2 || conjunto == 53;
}

std::string Potencia10(int expoente)
{
    return expoente <= 18 ? "1" + std::string(static_cast<std::size_t>(expoente), '0')
                          : "1e" + std::to_string(expoente);
}

// The condition for a value beyond what an exact number column holds: declared numerics by
// their precision, plain integers by their storage.
std::string ForaDaFaixa(const std::string& valor, const TColunaCatalogo& coluna)
{
    if (coluna.Precisao > 0) {
        const std::string limite = Potencia10(coluna.Precisao - coluna.Escala);
        return "(" + valor + " >= " + limite + " or " + valor + " <= -" + limite + ")";
    }
    const auto entre = [&valor](const char* minimo, const char* maximo) {
        return "(" + valor + " < " + minimo + " or " + valor + " > " + maximo + ")";
    };
    switch (coluna.Tipo) {
    case 7:
        return entre("-32768", "32767");
    case 8:
        return entre("-2147483648", "2147483647");
    default:
        return entre("-9.223372036854775808e18", "9.223372036854775807e18");
    }
}

int DigitosInteiros(const TColunaCatalogo& coluna)
{
    if (coluna.Precisao > 0)
        return coluna.Precisao - coluna.Escala;
    switch (coluna.Tipo) {
    case 7:
        return 5;
    case 8:
        return 10;
    case 16:
        return 19;
    default:
        return 400; // floating point
    }
}

bool PontoFlutuante(const TColunaCatalogo& coluna)
{
    return coluna.Tipo == 10 || coluna.Tipo == 27;
}

std::string TipoDeclarado(const TColunaCatalogo& coluna)
{
    if (coluna.Precisao > 0)
        return "numeric(" + std::to_string(coluna.Precisao) + "," + std::to_string(coluna.Escala) +
               ")";
    return coluna.Tipo == 7 ? "smallint" : coluna.Tipo == 8 ? "integer" : "bigint";
}

// One condition the aggregate pass counts, and the problem it stands for.
struct TCondicao {
    TProblemaVerificacao Problema;
    std::string Sql; // true for an offending row; columns qualified by Apelido
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
        for (const TColunaCatalogo& destino : FTabela.Destino.Colunas)
            if (destino.Copiada())
                if (const TColunaCatalogo* origem = FTabela.Origem.Coluna(destino.Nome))
                    VerificarColuna(*origem, destino);
        for (const TColunaCatalogo& origem : FTabela.Origem.Colunas)
            if (origem.Copiada() && !origem.Vetor && !FTabela.Destino.Coluna(origem.Nome))
                Adicionar(true, "coluna " + origem.Nome,
                          "coluna que o DESTINO não tem; seus valores não serão copiados",
                          Coluna(origem.Nome) + " is not null");
        for (const auto& [chave, pai] : FTabela.ChavesEstrangeiras)
            VerificarPai(chave, *pai);
        ContarCondicoes();
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

    void Adicionar(bool aviso, std::string alvo, std::string descricao, std::string sql)
    {
        TCondicao condicao;
        condicao.Problema.Aviso = aviso;
        condicao.Problema.Tabela = FTabela.Nome;
        condicao.Problema.Alvo = std::move(alvo);
        condicao.Problema.Descricao = std::move(descricao);
        condicao.Sql = std::move(sql);
        FCondicoes.push_back(std::move(condicao));
    }

    void VerificarColuna(const TColunaCatalogo& origem, const TColunaCatalogo& destino)
    {
        if (origem.Vetor || destino.Vetor)
            return;
        const std::string alvo = "coluna " + destino.Nome;
        const std::string valor = Coluna(origem.Nome);
        // The source's own NOT NULL is no proof: a column made NOT NULL by an older server
        // may still hold NULLs in the rows it had.
        if (destino.Obrigatoria && !(origem.SimNao() && !FTabela.Origem.Visao))
            Adicionar(false, alvo, "valor nulo em coluna obrigatória do DESTINO",
                      valor + " is null");
        if (destino.Texto() &&
            (origem.TextoLongo() || (origem.Texto() && origem.Caracteres > destino.Caracteres)))
            // The server lets trailing blanks go when a text is cut to fit.
            Adicionar(false, alvo,
                      "texto maior que os " + std::to_string(destino.Caracteres) +
                          " caracteres da coluna do DESTINO",
                      "char_length(trim(trailing from " + valor + ")) > " +
                          std::to_string(destino.Caracteres));
        if (origem.Texto() && !SemConversao(origem.ConjuntoCaracteres))
            VerificarWin1252(origem, alvo);
        if (destino.Numero() && !PontoFlutuante(destino) && origem.Numero()) {
            if (PontoFlutuante(origem) || DigitosInteiros(origem) > DigitosInteiros(destino))
                Adicionar(false, alvo,
                          "número além do que a coluna do DESTINO comporta (" +
                              TipoDeclarado(destino) + ")",
                          ForaDaFaixa(valor, destino));
            if (PontoFlutuante(origem) || origem.Escala > destino.Escala)
                Adicionar(false, alvo,
                          "número com mais casas decimais que a coluna do DESTINO (" +
                              TipoDeclarado(destino) + "); seria arredondado",
                          valor + " <> round(" + valor + ", " + std::to_string(destino.Escala) +
                              ")");
        }
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

    // A PSQL pass: the server's own conversion to WIN1252 of each value, its failure caught
    // per row. Texts of only single-byte characters in a multi-byte set are ASCII and pass.
    void VerificarWin1252(const TColunaCatalogo& origem, const std::string& alvo)
    {
        const std::string coluna = NomeSql(origem.Nome);
        std::string declaracoes = "declare variable VALOR type of column " +
                                  NomeSql(FTabela.Nome) + "." + coluna +
                                  "; declare variable CONVERTIDO varchar(" +
                                  std::to_string(std::max(origem.Caracteres, 1)) +
                                  ") character set WIN1252; ";
        std::string selecionadas = coluna;
        std::string destinos = "VALOR";
        std::string chave = "''";
        for (std::size_t i = 0; i < FCampos.size(); ++i) {
            const std::string variavel = "CHAVE" + std::to_string(i);
            declaracoes += "declare variable " + variavel + " varchar(200); ";
            selecionadas += ", " + NomeSql(FCampos[i]);
            destinos += ", " + variavel;
            chave += std::string(i ? " || ' '" : "") + " || " + LiteralSql(FCampos[i] + "=") +
                     " || coalesce(" + variavel + ", '')";
        }
        const bool multiplosBytes = origem.ConjuntoCaracteres == 3 || origem.ConjuntoCaracteres == 4;
        const std::string sql =
            "execute block returns (CHAVE varchar(2000), LINHAS bigint) as " + declaracoes +
            "begin LINHAS = 0; for select " + selecionadas + " from " + NomeSql(FTabela.Nome) +
            " where " + coluna + " is not null" +
            (multiplosBytes ? " and octet_length(" + coluna + ") > char_length(" + coluna + ")"
                            : "") +
            " into " + destinos +
            " do begin CONVERTIDO = VALOR; when any do begin LINHAS = LINHAS + 1; if (LINHAS <= " +
            std::to_string(TProblemaVerificacao::MaximoChaves) + ") then begin CHAVE = " + chave +
            "; suspend; end end end CHAVE = null; suspend; end";
        TConsulta consulta(&FOrigem, sql);
        consulta.Abrir();
        TProblemaVerificacao problema;
        for (; !consulta.Eof(); consulta.Proximo()) {
            if (consulta.Campo("CHAVE").EhNulo())
                problema.Linhas = consulta.Campo("LINHAS").ComoInteiro64();
            else if (!FCampos.empty())
                problema.Chaves.push_back(consulta.Campo("CHAVE").ComoTexto());
        }
        if (problema.Linhas <= 0)
            return;
        problema.Tabela = FTabela.Nome;
        problema.Alvo = alvo;
        problema.Descricao = "texto com caracteres que o WIN1252 não representa";
        FProblemas.push_back(std::move(problema));
    }

    // Rows that share the values of a destination unique key, unless the source enforces the
    // same key already. Rows with a NULL in the key never collide.
    void VerificarChaveUnica(const TChaveUnica& chave)
    {
        const auto mesmosCampos = [&chave](const TChaveUnica& outra) {
            return std::is_permutation(outra.Campos.begin(), outra.Campos.end(),
                                       chave.Campos.begin(), chave.Campos.end());
        };
        if (!PreenchePorN(chave.Campos) && std::any_of(FTabela.ChavesOrigem.begin(), FTabela.ChavesOrigem.end(),
                                         mesmosCampos))
            return;

        std::vector<std::string> valores;
        std::vector<std::string> preenchidos;
        for (const std::string& campo : chave.Campos) {
            valores.push_back(Coluna(campo));
            preenchidos.push_back(Coluna(campo) + " is not null");
        }
        const std::string grupos = De() + " where " + Juntar(preenchidos, " and ") +
                                   " group by " + Juntar(valores, ", ") +
                                   " having count(*) > 1";
        TConsulta total(&FOrigem,
                        "select coalesce(sum(REPETIDAS), 0) from (select count(*) as REPETIDAS" +
                            grupos + ")");
        total.Abrir();
        TProblemaVerificacao problema;
        problema.Linhas = total.Campo(0).ComoInteiro64();
        if (problema.Linhas == 0)
            return;
        TConsulta exemplos(&FOrigem, "select first " +
                                         std::to_string(TProblemaVerificacao::MaximoChaves) + " " +
                                         Juntar(valores, ", ") + grupos);
        exemplos.Abrir();
        for (; !exemplos.Eof(); exemplos.Proximo())
            problema.Chaves.push_back(TextoChave(exemplos, chave.Campos));
        problema.Tabela = FTabela.Nome;
        problema.Alvo = std::string(chave.Primaria ? "chave primária " : "chave única ") +
                        chave.Nome + " (" + Juntar(chave.Campos, ", ") + ")";
        problema.Descricao = "linhas com os mesmos valores da chave";
        FProblemas.push_back(std::move(problema));
    }

    TConexao& FOrigem;
    const TTabelaVerificada& FTabela;
    const std::vector<std::string> FCampos;
    std::vector<TCondicao> FCondicoes;
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

std::vector<TProblemaVerificacao> VerificarTabela(TConexao& origem, const TTabelaVerificada& tabela)
{
    return TVerificacao(origem, tabela).Executar();
}
