#include "Consulta.h"

#include "Conexao.h"
#include "Firebird.h"
#include "ObservadorOcupado.h"
#include "Texto.h"
#include "ValorMensagem.h"

#include <algorithm>
#include <cctype>
#include <cstring>

using namespace Firebird;

namespace {

bool IgualSemCaixa(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::toupper(x) == std::toupper(y);
           });
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
    FConexao->VerificarInterrupcao();
    TTrabalhoBanco trabalho;
    auto [texto, ordem] = TrocarParametros(FSQL);
    TConexao::TEscopoTransacao escopo(*FConexao);
    FConexao->Protegido([&] { LerResultado(ConverterParaBanco(texto), ordem); });
    escopo.Concluir();
    FAberta = true;
    FPosicao = 0;
    FConexao->RegistrarConsulta(this);
}

void TConsulta::LerResultado(const std::string& texto, const std::vector<std::string>& ordem)
{
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
                LerValorMensagem(saida.get(), i, linha.data(), anexo, FConexao->Transacao()));
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
