#include "Consulta.h"

#include "Conexao.h"
#include "Firebird.h"
#include "ObservadorOcupado.h"
#include "Texto.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>

using namespace Firebird;

namespace {

constexpr unsigned CharsetOctets = 1;

bool IgualSemCaixa(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::toupper(x) == std::toupper(y);
           });
}

std::string TextoDoBanco(const char* dados, std::size_t tamanho, unsigned charset)
{
    if (charset == CharsetOctets)
        return std::string(dados, tamanho);
    return ConverterDoBanco(std::string_view(dados, tamanho));
}

// A scaled integer as decimal text: 12345 with scale -2 reads "123.45".
std::string TextoDecimal(std::int64_t valor, int escala)
{
    if (escala >= 0) {
        std::string texto = std::to_string(valor);
        texto.append(static_cast<std::size_t>(escala), '0');
        return texto;
    }
    const bool negativo = valor < 0;
    std::string digitos = std::to_string(valor);
    if (negativo)
        digitos.erase(0, 1);
    const auto casas = static_cast<std::size_t>(-escala);
    if (digitos.size() <= casas)
        digitos.insert(0, casas - digitos.size() + 1, '0');
    digitos.insert(digitos.size() - casas, ".");
    return negativo ? "-" + digitos : digitos;
}

std::string TextoReal(double valor)
{
    char texto[64];
    const auto r = std::to_chars(texto, texto + sizeof texto, valor);
    return std::string(texto, r.ptr);
}

std::string TextoData(ISC_DATE data)
{
    unsigned ano, mes, dia;
    fb::Util()->decodeDate(data, &ano, &mes, &dia);
    char texto[16];
    std::snprintf(texto, sizeof texto, "%04u-%02u-%02u", ano, mes, dia);
    return texto;
}

std::string TextoHora(ISC_TIME hora)
{
    unsigned h, m, s, fracao;
    fb::Util()->decodeTime(hora, &h, &m, &s, &fracao);
    char texto[24];
    std::snprintf(texto, sizeof texto, "%02u:%02u:%02u.%04u", h, m, s, fracao);
    return texto;
}

std::string LerBlob(IAttachment* anexo, ITransaction* transacao, ISC_QUAD id)
{
    fb::TStatus status;
    fb::TBlob blob(anexo->openBlob(&status, transacao, &id, 0, nullptr));
    std::string conteudo;
    char bloco[32768];
    for (;;) {
        unsigned lidos = 0;
        const int r = blob->getSegment(&status, sizeof bloco, bloco, &lidos);
        if (r == IStatus::RESULT_NO_DATA)
            break;
        conteudo.append(bloco, lidos);
    }
    fb::Fechar(blob, status);
    return conteudo;
}

// Turns one column of a fetched row into the value the program reads.
TCampo LerValor(IMessageMetadata* meta, unsigned i, const unsigned char* linha,
                IAttachment* anexo, ITransaction* transacao, fb::TStatus& status)
{
    if (*reinterpret_cast<const short*>(linha + meta->getNullOffset(&status, i)))
        return TCampo::Nulo();
    const unsigned char* dados = linha + meta->getOffset(&status, i);
    const unsigned tipo = meta->getType(&status, i) & ~1u;
    const int escala = meta->getScale(&status, i);
    const unsigned charset = meta->getCharSet(&status, i);

    auto inteiro = [&](std::int64_t valor) {
        return escala == 0 ? TCampo::DeInteiro(valor)
                           : TCampo::DeDecimal(TextoDecimal(valor, escala));
    };

    switch (tipo) {
    case SQL_TEXT: {
        std::size_t tamanho = meta->getLength(&status, i);
        const auto* texto = reinterpret_cast<const char*>(dados);
        if (charset != CharsetOctets)
            while (tamanho > 0 && texto[tamanho - 1] == ' ')
                --tamanho;
        return TCampo::DeTexto(TextoDoBanco(texto, tamanho, charset));
    }
    case SQL_VARYING: {
        unsigned short tamanho;
        std::memcpy(&tamanho, dados, sizeof tamanho);
        return TCampo::DeTexto(
            TextoDoBanco(reinterpret_cast<const char*>(dados) + 2, tamanho, charset));
    }
    case SQL_SHORT:
        return inteiro(*reinterpret_cast<const std::int16_t*>(dados));
    case SQL_LONG:
        return inteiro(*reinterpret_cast<const std::int32_t*>(dados));
    case SQL_INT64:
        return inteiro(*reinterpret_cast<const std::int64_t*>(dados));
    case SQL_FLOAT:
        return TCampo::DeDecimal(TextoReal(*reinterpret_cast<const float*>(dados)));
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return TCampo::DeDecimal(TextoReal(*reinterpret_cast<const double*>(dados)));
    case SQL_TYPE_DATE:
        return TCampo::DeTexto(TextoData(*reinterpret_cast<const ISC_DATE*>(dados)));
    case SQL_TYPE_TIME:
        return TCampo::DeTexto(TextoHora(*reinterpret_cast<const ISC_TIME*>(dados)));
    case SQL_TIMESTAMP: {
        const auto* ts = reinterpret_cast<const ISC_TIMESTAMP*>(dados);
        return TCampo::DeTexto(TextoData(ts->timestamp_date) + " " +
                               TextoHora(ts->timestamp_time));
    }
    case SQL_BOOLEAN:
        return TCampo::DeTexto(*dados ? "True" : "False");
    case SQL_BLOB: {
        const std::string conteudo =
            LerBlob(anexo, transacao, *reinterpret_cast<const ISC_QUAD*>(dados));
        if (meta->getSubType(&status, i) == isc_blob_text)
            return TCampo::DeTexto(TextoDoBanco(conteudo.data(), conteudo.size(), charset));
        return TCampo::DeTexto(conteudo);
    }
    case SQL_NULL:
        return TCampo::Nulo();
    default:
        throw EBancoDados::DaCamada("A coluna " + std::to_string(i + 1) +
                                    " tem um tipo que esta versão não lê (" +
                                    std::to_string(tipo) + ").");
    }
}

bool Identificador(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}

} // namespace

std::pair<std::string, std::vector<std::string>> TrocarParametros(const std::string& sql)
{
    std::string texto;
    std::vector<std::string> nomes;
    texto.reserve(sql.size());
    for (std::size_t i = 0; i < sql.size();) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {
            const std::size_t fim = sql.find(c, i + 1);
            const std::size_t ate = fim == std::string::npos ? sql.size() : fim + 1;
            texto.append(sql, i, ate - i);
            i = ate;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            const std::size_t fim = sql.find('\n', i);
            const std::size_t ate = fim == std::string::npos ? sql.size() : fim;
            texto.append(sql, i, ate - i);
            i = ate;
        } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
            const std::size_t fim = sql.find("*/", i + 2);
            const std::size_t ate = fim == std::string::npos ? sql.size() : fim + 2;
            texto.append(sql, i, ate - i);
            i = ate;
        } else if (c == ':' && i + 1 < sql.size() && Identificador(sql[i + 1]) &&
                   !std::isdigit(static_cast<unsigned char>(sql[i + 1]))) {
            std::size_t fim = i + 1;
            while (fim < sql.size() && Identificador(sql[fim]))
                ++fim;
            nomes.push_back(sql.substr(i + 1, fim - i - 1));
            texto += '?';
            i = fim;
        } else {
            texto += c;
            ++i;
        }
    }
    return {texto, nomes};
}

TConsulta::TConsulta(TConexao* conexao, std::string sql) : FConexao(conexao), FSQL(std::move(sql))
{
}

TConsulta::~TConsulta()
{
    Fechar();
}

void TConsulta::DefinirConexao(TConexao* conexao)
{
    Fechar();
    FConexao = conexao;
}

void TConsulta::DefinirSQL(std::string sql)
{
    Fechar();
    FSQL = std::move(sql);
    FParametros.clear();
}

void TConsulta::Parametro(const std::string& nome, const std::string& valor)
{
    for (auto& [existente, texto] : FParametros)
        if (IgualSemCaixa(existente, nome)) {
            texto = valor;
            return;
        }
    FParametros.emplace_back(nome, valor);
}

void TConsulta::Abrir()
{
    if (!FConexao)
        throw EBancoDados::DaCamada("A consulta não tem conexão.");
    Fechar();
    TTrabalhoBanco trabalho;
    auto [texto, ordem] = TrocarParametros(FSQL);
    FConexao->Protegido([&] { LerResultado(ConverterParaBanco(texto), ordem); });
    FAberta = true;
    FPosicao = 0;
    FConexao->RegistrarConsulta(this);
}

void TConsulta::LerResultado(const std::string& texto, const std::vector<std::string>& ordem)
{
    TConexao::TEscopoTransacao escopo(*FConexao);
    IAttachment* anexo = FConexao->Anexo();
    ITransaction* transacao = FConexao->Transacao();
    fb::TStatus status;

    fb::TComando comando(anexo->prepare(&status, transacao, static_cast<unsigned>(texto.size()),
                                        texto.c_str(), TConexao::Dialeto,
                                        IStatement::PREPARE_PREFETCH_METADATA));

    // Every parameter travels as WIN1252 text; the server converts it to what it compares.
    fb::TMetadados entrada;
    std::vector<unsigned char> bufferEntrada;
    if (!ordem.empty()) {
        std::vector<std::string> valores;
        for (const std::string& nome : ordem) {
            auto achado = std::find_if(FParametros.begin(), FParametros.end(),
                                       [&](const auto& p) { return IgualSemCaixa(p.first, nome); });
            if (achado == FParametros.end())
                throw EBancoDados::DaCamada("O parâmetro \"" + nome + "\" não recebeu valor.");
            valores.push_back(ConverterParaBanco(achado->second));
        }
        fb::TConstrutorMetadados construtor(
            fb::Master()->getMetadataBuilder(&status, static_cast<unsigned>(valores.size())));
        for (unsigned i = 0; i < valores.size(); ++i) {
            construtor->setType(&status, i, SQL_VARYING + 1);
            construtor->setLength(&status, i,
                                  std::max<unsigned>(1, static_cast<unsigned>(valores[i].size())));
            construtor->setCharSet(&status, i, 53 /* WIN1252 */);
        }
        entrada.reset(construtor->getMetadata(&status));
        bufferEntrada.assign(entrada->getMessageLength(&status), 0);
        for (unsigned i = 0; i < valores.size(); ++i) {
            unsigned char* campo = bufferEntrada.data() + entrada->getOffset(&status, i);
            const auto tamanho = static_cast<unsigned short>(valores[i].size());
            std::memcpy(campo, &tamanho, sizeof tamanho);
            std::memcpy(campo + 2, valores[i].data(), tamanho);
            *reinterpret_cast<short*>(bufferEntrada.data() + entrada->getNullOffset(&status, i)) = 0;
        }
    }

    fb::TMetadados saida(comando->getOutputMetadata(&status));
    const unsigned colunas = saida->getCount(&status);
    std::vector<std::string> nomes;
    for (unsigned i = 0; i < colunas; ++i)
        nomes.push_back(ConverterDoBanco(saida->getAlias(&status, i)));
    std::vector<unsigned char> linha(saida->getMessageLength(&status));
    std::vector<std::vector<TCampo>> linhas;

    auto guardarLinha = [&] {
        std::vector<TCampo> valores;
        valores.reserve(colunas);
        for (unsigned i = 0; i < colunas; ++i)
            valores.push_back(
                LerValor(saida.get(), i, linha.data(), anexo, FConexao->Transacao(), status));
        linhas.push_back(std::move(valores));
    };

    const unsigned tipo = comando->getType(&status);
    if (tipo == isc_info_sql_stmt_select || tipo == isc_info_sql_stmt_select_for_upd) {
        fb::TCursor cursor(comando->openCursor(&status, FConexao->Transacao(), entrada.get(),
                                               bufferEntrada.data(), saida.get(), 0));
        while (cursor->fetchNext(&status, linha.data()) == IStatus::RESULT_OK)
            guardarLinha();
        fb::Fechar(cursor, status);
    } else {
        comando->execute(&status, FConexao->Transacao(), entrada.get(), bufferEntrada.data(),
                         colunas ? saida.get() : nullptr, colunas ? linha.data() : nullptr);
        if (colunas)
            guardarLinha();
    }
    fb::Liberar(comando, status);
    escopo.Concluir();

    FColunas = std::move(nomes);
    FLinhas = std::move(linhas);
}

void TConsulta::Fechar() noexcept
{
    if (FAberta && FConexao)
        FConexao->RemoverConsulta(this);
    FAberta = false;
    FLinhas.clear();
    FColunas.clear();
    FPosicao = 0;
}

void TConsulta::Primeiro() noexcept
{
    FPosicao = 0;
}

void TConsulta::Proximo() noexcept
{
    if (FPosicao < FLinhas.size())
        ++FPosicao;
}

bool TConsulta::Eof() const noexcept
{
    return FPosicao >= FLinhas.size();
}

int TConsulta::NumeroRegistro() const noexcept
{
    return Eof() ? 0 : static_cast<int>(FPosicao) + 1;
}

void TConsulta::IrPara(int numeroRegistro) noexcept
{
    if (numeroRegistro < 1 || FLinhas.empty())
        FPosicao = 0;
    else
        FPosicao = std::min<std::size_t>(static_cast<std::size_t>(numeroRegistro), FLinhas.size()) - 1;
}

const TCampo& TConsulta::Campo(int posicao) const
{
    if (posicao < 0 || static_cast<std::size_t>(posicao) >= FColunas.size())
        throw EBancoDados::DaCamada("A consulta não tem a coluna de posição " +
                                    std::to_string(posicao) + ".");
    static const TCampo nulo = TCampo::Nulo();
    if (Eof())
        return nulo;
    return FLinhas[FPosicao][static_cast<std::size_t>(posicao)];
}

const TCampo& TConsulta::Campo(const std::string& nome) const
{
    for (std::size_t i = 0; i < FColunas.size(); ++i)
        if (IgualSemCaixa(FColunas[i], nome))
            return Campo(static_cast<int>(i));
    throw EBancoDados::DaCamada("Campo \"" + nome + "\" não encontrado.");
}
