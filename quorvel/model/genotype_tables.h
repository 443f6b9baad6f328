// The fixed index tables of the genotype model for two and three loci: the allele at each
// locus of a genotype, the genotypes carrying each allele and the mutation paths. Row 0 of
// every table is unused, as genotype, allele and path numbers start at 1.
#pragma once

#include <cstdint>

namespace quorvel::model_tables {

// Alleles at loci 1..3 per genotype.
inline constexpr int16_t kTwoLociAlleles[5][3] = {
    {0, 0, 0}, {1, 2, 0}, {3, 2, 0}, {1, 4, 0}, {3, 4, 0}};
inline constexpr int16_t kThreeLociAlleles[9][3] = {{0, 0, 0}, {1, 2, 3}, {4, 2, 3},
                                                    {1, 5, 3}, {1, 2, 6}, {4, 5, 3},
                                                    {1, 5, 6}, {4, 2, 6}, {4, 5, 6}};

// Carriers of each allele, ascending.
inline constexpr int16_t kTwoLociCarriers[5][2] = {{0, 0}, {1, 3}, {1, 2}, {2, 4}, {3, 4}};
inline constexpr int16_t kThreeLociCarriers[7][4] = {{0, 0, 0, 0}, {1, 3, 4, 6}, {1, 2, 4, 7},
                                                     {1, 2, 3, 5}, {2, 5, 7, 8}, {3, 5, 6, 8},
                                                     {4, 6, 7, 8}};

// Mutation paths: from, to, class.
inline constexpr int16_t kTwoLociPaths[11][3] = {{0, 0, 0}, {2, 4, 1}, {3, 4, 1}, {1, 2, 2},
                                                 {1, 3, 2}, {1, 4, 3}, {2, 1, 4}, {3, 1, 4},
                                                 {4, 2, 5}, {4, 3, 5}, {4, 1, 6}};
inline constexpr int16_t kThreeLociPaths[39][3] = {
    {0, 0, 0},  {5, 8, 1},  {6, 8, 1},  {7, 8, 1},  {2, 5, 2},  {2, 7, 2},  {3, 5, 2}, {3, 6, 2},
    {4, 6, 2},  {4, 7, 2},  {2, 8, 3},  {3, 8, 3},  {4, 8, 3},  {1, 2, 4},  {1, 3, 4}, {1, 4, 4},
    {1, 5, 5},  {1, 6, 5},  {1, 7, 5},  {1, 8, 6},  {2, 1, 7},  {3, 1, 7},  {4, 1, 7}, {5, 2, 8},
    {5, 3, 8},  {6, 3, 8},  {6, 4, 8},  {7, 2, 8},  {7, 4, 8},  {5, 1, 9},  {6, 1, 9}, {7, 1, 9},
    {8, 5, 10}, {8, 6, 10}, {8, 7, 10}, {8, 2, 11}, {8, 3, 11}, {8, 4, 11}, {8, 1, 12}};

}  // namespace quorvel::model_tables
