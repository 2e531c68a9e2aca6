#include "VerificacaoTabelasMantidas.h"

#include "Consulta.h"
#include "ListaTextos.h"
#include "NomeSql.h"
#include "VerificacaoTabela.h"

namespace {

// Values looked up in one statement: well inside the server's limits on a statement's text.
constexpr std::size_t ValoresPorConsulta = 100;

// "(A = '1' and B = '2') or (...)": the server converts each literal to its column's type.
std::string Iguais(const std::vector<std::string>& colunas,
                   const std::vector<std::vector<std::string>>& valores)
{
    std::vector<std::string> alternativas;
    for (const auto& linha : valores) {
        std::vector<std::string> iguais;
        for (std::size_t i = 0; i < colunas.size(); ++i)
            iguais.push_back(colunas[i] + " = " + LiteralSql(linha[i]));
        alternativas.push_back("(" + Juntar(iguais, " and ") + ")");
    }
    return Juntar(alternativas, " or ");
}

std::vector<std::string> Nomes(const std::vector<std::string>& campos)
{
    std::vector<std::string> nomes;
    for (const std::string& campo : campos)
        nomes.push_back(NomeSql(campo));
    return nomes;
}

std::string Preenchidos(const std::vector<std::string>& colunas)
{
    std::vector<std::string> condicoes;
    for (const std::string& coluna : colunas)
        condicoes.push_back(coluna + " is not null");
    return Juntar(condicoes, " and ");
}

// The first columns of the current row, as the server compares them: trailing blanks aside
// (a CHAR arrives without them, a VARCHAR with them).
std::vector<std::string> Valores(const TConsulta& consulta, std::size_t quantidade)
{
    std::vector<std::string> valores;
    for (std::size_t i = 0; i < quantidade; ++i) {
        std::string valor = consulta.Campo(static_cast<int>(i)).ComoTexto();
        valor.erase(valor.find_last_not_of(' ') + 1);
        valores.push_back(std::move(valor));
    }
    return valores;
}

} // namespace

// The destination's server looks each value up in the kept parent, so that the comparison is
// the one the recreated key makes: under the parent's collation, trailing blanks aside.
std::set<TVerificacaoTabelasMantidas::TValores>
TVerificacaoTabelasMantidas::AusentesMantidos(const TChaveEstrangeira& chave,
                                             const std::vector<TValores>& procurados)
{
    const std::vector<std::string> colunas = Nomes(chave.CamposReferenciados);
    std::set<TValores> ausentes;
    for (std::size_t inicio = 0; inicio < procurados.size(); inicio += ValoresPorConsulta) {
        const std::size_t fim = std::min(procurados.size(), inicio + ValoresPorConsulta);
        std::string bloco = "execute block returns (I integer) as begin\n";
        for (std::size_t i = inicio; i < fim; ++i)
            bloco += "if (not exists(select 1 from " + NomeSql(chave.TabelaReferenciada) +
                     " where " + Iguais(colunas, {procurados[i]}) + ")) then begin I = " +
                     std::to_string(i) + "; suspend; end\n";
        TConsulta consulta(&FDestino, bloco + "end");
        consulta.Abrir();
        for (; !consulta.Eof(); consulta.Proximo())
            ausentes.insert(procurados.at(static_cast<std::size_t>(consulta.Campo(0).ComoInteiro())));
    }
    return ausentes;
}

std::set<TVerificacaoTabelasMantidas::TValores>
TVerificacaoTabelasMantidas::PaisCopiados(const TChaveEstrangeira& chave,
                                          const std::vector<TValores>& procurados)
{
    const std::vector<std::string> colunas = Nomes(chave.CamposReferenciados);
    std::set<TValores> achados;
    for (std::size_t inicio = 0; inicio < procurados.size(); inicio += ValoresPorConsulta) {
        const std::vector<TValores> parte(
            procurados.begin() + static_cast<std::ptrdiff_t>(inicio),
            procurados.begin() +
                static_cast<std::ptrdiff_t>(std::min(procurados.size(), inicio + ValoresPorConsulta)));
        TConsulta consulta(&FOrigem, "select distinct " + Juntar(colunas, ", ") + " from " +
                                         NomeSql(chave.TabelaReferenciada) + " where " +
                                         Iguais(colunas, parte));
        consulta.Abrir();
        for (; !consulta.Eof(); consulta.Proximo())
            achados.insert(Valores(consulta, colunas.size()));
    }
    return achados;
}

std::vector<TProblemaVerificacao>
TVerificacaoTabelasMantidas::Verificar(const TChaveEstrangeira& chave,
                                       const TRelacaoCatalogo* filhoCopiado,
                                       const std::vector<std::string>& camposIdentificacao)
{
    TConexao& filhos = filhoCopiado ? FOrigem : FDestino;
    std::vector<std::string> colunas;
    for (const std::string& campo : chave.Campos)
        colunas.push_back(filhoCopiado ? ExpressaoOrigem(*filhoCopiado, campo) : NomeSql(campo));
    const std::string tabela = NomeSql(chave.Tabela);

    TConsulta grupos(&filhos, "select " + Juntar(colunas, ", ") + ", count(*) from " + tabela +
                                  " where " + Preenchidos(colunas) + " group by " +
                                  Juntar(colunas, ", "));
    grupos.Abrir();
    std::vector<std::pair<TValores, std::int64_t>> valores;
    for (; !grupos.Eof(); grupos.Proximo())
        valores.emplace_back(Valores(grupos, colunas.size()),
                             grupos.Campo(static_cast<int>(colunas.size())).ComoInteiro64());
    grupos.Fechar();

    std::vector<TValores> procurados;
    for (const auto& [valor, linhas] : valores)
        procurados.push_back(valor);
    std::set<TValores> pais;
    std::set<TValores> ausentes;
    if (filhoCopiado)
        ausentes = AusentesMantidos(chave, procurados);
    else
        pais = PaisCopiados(chave, procurados);
    const auto ausente = [&](const TValores& valor) {
        return filhoCopiado ? ausentes.count(valor) > 0 : pais.count(valor) == 0;
    };

    TProblemaVerificacao problema;
    problema.Linhas = 0;
    std::vector<TValores> orfaos;
    for (const auto& [valor, linhas] : valores)
        if (ausente(valor)) {
            problema.Linhas += linhas;
            if (orfaos.size() < TProblemaVerificacao::MaximoChaves)
                orfaos.push_back(valor);
        }
    if (problema.Linhas == 0)
        return {};

    if (!camposIdentificacao.empty()) {
        TConsulta exemplos(&filhos, "select first " +
                                        std::to_string(TProblemaVerificacao::MaximoChaves) + " " +
                                        Juntar(Nomes(camposIdentificacao), ", ") + " from " +
                                        tabela + " where " + Iguais(colunas, orfaos));
        exemplos.Abrir();
        for (; !exemplos.Eof(); exemplos.Proximo())
            problema.Chaves.push_back(TextoChave(exemplos, camposIdentificacao));
    }
    problema.Tabela = chave.Tabela;
    problema.Alvo = "chave estrangeira " + chave.Nome + " (" + Juntar(chave.Campos, ", ") + ")";
    problema.Descricao =
        filhoCopiado ? "registro pai ausente na tabela " + chave.TabelaReferenciada +
                           ", que o DESTINO mantém"
                     : "tabela que o DESTINO mantém, com registro pai ausente na tabela " +
                           chave.TabelaReferenciada + " da ORIGEM";
    return {std::move(problema)};
}
