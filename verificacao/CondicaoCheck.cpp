#include "CondicaoCheck.h"

#include "Texto.h"

#include <cctype>
#include <string_view>
#include <vector>

namespace {

enum class TTipoToken { Espaco, Comentario, Texto, Nome, Palavra, Simbolo };

struct TToken {
    TTipoToken Tipo;
    std::string_view Texto;
};

bool CaractereDePalavra(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}

bool Igual(std::string_view palavra, std::string_view maiusculas)
{
    if (palavra.size() != maiusculas.size())
        return false;
    for (std::size_t i = 0; i < palavra.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(palavra[i])) != maiusculas[i])
            return false;
    return true;
}

// Where a run of characters closed by 'fim', the closing one doubled inside it, ends: just past
// the closing one, or at the end of an unclosed text.
std::size_t FimComAspaDobrada(std::string_view fonte, std::size_t inicio, char fim)
{
    for (std::size_t i = inicio + 1; i < fonte.size(); ++i) {
        if (fonte[i] != fim)
            continue;
        if (i + 1 < fonte.size() && fonte[i + 1] == fim) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return fonte.size();
}

// q'{...}': the text ends at the delimiter's partner followed by a quote.
std::size_t FimTextoQ(std::string_view fonte, std::size_t inicio)
{
    const char abre = fonte[inicio + 2];
    const std::string_view pares = "()[]{}<>";
    const std::size_t par = pares.find(abre);
    const char fecha = par != std::string_view::npos && par % 2 == 0 ? pares[par + 1] : abre;
    for (std::size_t i = inicio + 3; i + 1 < fonte.size(); ++i)
        if (fonte[i] == fecha && fonte[i + 1] == '\'')
            return i + 2;
    return fonte.size();
}

std::vector<TToken> Tokens(std::string_view fonte)
{
    std::vector<TToken> tokens;
    const std::size_t n = fonte.size();
    std::size_t i = 0;
    while (i < n) {
        const std::size_t inicio = i;
        const char c = fonte[i];
        const char proximo = i + 1 < n ? fonte[i + 1] : '\0';
        TTipoToken tipo = TTipoToken::Simbolo;
        if (std::isspace(static_cast<unsigned char>(c))) {
            while (i < n && std::isspace(static_cast<unsigned char>(fonte[i])))
                ++i;
            tipo = TTipoToken::Espaco;
        } else if (c == '/' && proximo == '*') {
            const std::size_t fim = fonte.find("*/", i + 2);
            i = fim == std::string_view::npos ? n : fim + 2;
            tipo = TTipoToken::Comentario;
        } else if (c == '-' && proximo == '-') {
            const std::size_t fim = fonte.find('\n', i);
            i = fim == std::string_view::npos ? n : fim;
            tipo = TTipoToken::Comentario;
        } else if (c == '\'') {
            i = FimComAspaDobrada(fonte, i, '\'');
            tipo = TTipoToken::Texto;
        } else if ((c == 'q' || c == 'Q') && proximo == '\'' && i + 2 < n) {
            i = FimTextoQ(fonte, i);
            tipo = TTipoToken::Texto;
        } else if (c == '"') {
            i = FimComAspaDobrada(fonte, i, '"');
            tipo = TTipoToken::Nome;
        } else if (CaractereDePalavra(c)) {
            while (i < n && CaractereDePalavra(fonte[i]))
                ++i;
            tipo = TTipoToken::Palavra;
        } else {
            ++i;
        }
        tokens.push_back({tipo, fonte.substr(inicio, i - inicio)});
    }
    return tokens;
}

// The characters a string literal stands for.
std::string Conteudo(std::string_view literal)
{
    if (literal.front() != '\'') // q'{...}'
        return std::string(literal.substr(3, literal.size() >= 5 ? literal.size() - 5 : 0));
    std::string conteudo;
    for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
        conteudo += literal[i];
        if (literal[i] == '\'')
            ++i;
    }
    return conteudo;
}

// A literal WIN1252 cannot carry, as its UTF-8 bytes read as UTF8 characters.
std::string LiteralUtf8(const std::string& conteudo)
{
    static const char* const hexa = "0123456789ABCDEF";
    std::string bytes;
    std::size_t caracteres = 0;
    for (unsigned char c : conteudo) {
        bytes += hexa[c >> 4];
        bytes += hexa[c & 0xF];
        if ((c & 0xC0) != 0x80)
            ++caracteres;
    }
    return "cast(x'" + bytes + "' as char(" + std::to_string(caracteres) +
           ") character set UTF8)";
}

bool Significativo(const TToken& token)
{
    return token.Tipo != TTipoToken::Espaco && token.Tipo != TTipoToken::Comentario;
}

} // namespace

std::optional<std::string> CondicaoCheck(const std::string& fonte, const std::string& valor)
{
    const std::vector<TToken> tokens = Tokens(fonte);
    std::size_t k = 0;
    while (k < tokens.size() &&
           !(tokens[k].Tipo == TTipoToken::Palavra && Igual(tokens[k].Texto, "CHECK")))
        ++k;
    for (++k; k < tokens.size() && !Significativo(tokens[k]); ++k) {
    }
    if (k >= tokens.size() || tokens[k].Texto != "(")
        return std::nullopt;

    std::string condicao;
    std::size_t inicioPalavra = 0;
    int nivel = 1;
    for (++k; k < tokens.size(); ++k) {
        const TToken& token = tokens[k];
        switch (token.Tipo) {
        case TTipoToken::Comentario:
            condicao += ' ';
            break;
        case TTipoToken::Simbolo:
            if (token.Texto == "(")
                ++nivel;
            else if (token.Texto == ")" && --nivel == 0)
                return condicao;
            condicao += token.Texto;
            break;
        case TTipoToken::Palavra:
            inicioPalavra = condicao.size();
            if (!valor.empty() && Igual(token.Texto, "VALUE"))
                condicao += valor;
            else
                condicao += token.Texto;
            break;
        case TTipoToken::Texto: {
            const std::string conteudo = Conteudo(token.Texto);
            if (RepresentavelNoBanco(conteudo)) {
                condicao += token.Texto;
                break;
            }
            // An introducer (_WIN1251'...') names the set of bytes no longer there.
            const TToken& anterior = tokens[k - 1];
            if (anterior.Tipo == TTipoToken::Palavra && anterior.Texto.front() == '_')
                condicao.resize(inicioPalavra);
            condicao += LiteralUtf8(conteudo);
            break;
        }
        default:
            condicao += token.Texto;
        }
    }
    return std::nullopt;
}
