#pragma once

#include <string>
#include <vector>

// A plain, unsorted list of texts whose look-up ignores letter case (ASCII letters: the
// catalogue's names), as the run keeps its table lists.
class TListaTextos {
public:
    TListaTextos() = default;
    TListaTextos(std::initializer_list<std::string> textos) : FTextos(textos) {}

    void Adicionar(std::string texto) { FTextos.push_back(std::move(texto)); }
    void Limpar() noexcept { FTextos.clear(); }
    bool Contem(const std::string& texto) const;
    int Quantidade() const noexcept { return static_cast<int>(FTextos.size()); }

    auto begin() const noexcept { return FTextos.begin(); }
    auto end() const noexcept { return FTextos.end(); }

private:
    std::vector<std::string> FTextos;
};

// The texts one after the other, the separator between each two.
std::string Juntar(const std::vector<std::string>& partes, const std::string& separador);
