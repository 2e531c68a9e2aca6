#include "ProblemaVerificacao.h"

#include <set>

namespace {

std::string Quantidade(std::int64_t n, const char* singular, const char* plural)
{
    return std::to_string(n) + " " + (n == 1 ? singular : plural);
}

} // namespace

std::string TProblemaVerificacao::Linha() const
{
    std::string linha = Aviso ? "Aviso: " : "Erro: ";
    if (!Tabela.empty())
        linha += Tabela + (Alvo.empty() ? "" : ", " + Alvo) + ": ";
    linha += Descricao;
    if (Linhas >= 0)
        linha += "; " + Quantidade(Linhas, "linha", "linhas");
    if (!Chaves.empty()) {
        linha += " (";
        for (std::size_t i = 0; i < Chaves.size(); ++i)
            linha += (i ? "; " : "") + Chaves[i];
        linha += ")";
    }
    return linha + ".";
}

std::string LinhaTotais(const std::vector<TProblemaVerificacao>& problemas)
{
    if (problemas.empty())
        return "Verificação concluída: nenhum problema encontrado.";
    std::int64_t erros = 0;
    std::set<std::string> tabelas;
    for (const TProblemaVerificacao& problema : problemas) {
        erros += problema.Aviso ? 0 : 1;
        if (!problema.Tabela.empty())
            tabelas.insert(problema.Tabela);
    }
    const auto avisos = static_cast<std::int64_t>(problemas.size()) - erros;
    return "Verificação concluída: " + Quantidade(erros, "erro", "erros") + " e " +
           Quantidade(avisos, "aviso", "avisos") + " em " +
           Quantidade(static_cast<std::int64_t>(tabelas.size()), "tabela", "tabelas") + ".";
}
