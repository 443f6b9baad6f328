// The start state of a run: the genotype frequencies of deme 1 at linkage equilibrium
// (from start allele frequencies) or from four typed haplotype frequencies, split between
// the modifier alleles by the start frequency of R+, and copied into every deme.
#include "common/number_text.h"
#include "quorvel/run/run_driver.h"

namespace quorvel {

void RunDriver::SetStartFrequencies() {
  model_.Freq.Clear();

  const int genotypes = model_.GenotypesNum;
  if (state_.Checks.LinkageDisequilibrium == 0) {
    const int loci = model_.AllelesNum;
    for (int i = 1; i <= loci; ++i) {
      model_.StartAlleleFreq[i] = EntryValue(kEntryStartA + i - 1);
      model_.StartAlleleFreq[i + loci] = 1 - model_.StartAlleleFreq[i];
    }
    for (int16_t g = 1; g <= genotypes; ++g)
      model_.Freq(0, 1, g) = model_.EquilibriumFrequency(g, 1, false);
  } else {
    const double ab = EntryValue(kEntryHaplotypeAb);
    const double capAb = EntryValue(kEntryHaplotypeAb + 1);
    const double aCapB = EntryValue(kEntryHaplotypeAb + 2);
    const double capAcapB = EntryValue(kEntryHaplotypeAb + 3);
    const double total = ((ab + capAb) + aCapB) + capAcapB;
    // The same test as the window's Total display: the total as its 15-digit text reads
    // it, so that a total shown as 1 (0.7 + 0.1 + 0.1 + 0.1) is never refused.
    if (!common::ReadsAsOne(total)) {
      window_.Messages().ShowMessage(kHaplotypeTotalMessage);
      state_.StartFreqError = true;
      return;
    }
    model_.Freq(0, 1, 1) = ab;
    model_.Freq(0, 1, 2) = capAb;
    model_.Freq(0, 1, 3) = aCapB;
    model_.Freq(0, 1, 4) = capAcapB;
    model_.StartAlleleFreq[1] = model_.Freq(0, 1, 3) + model_.Freq(0, 1, 1);
    model_.StartAlleleFreq[2] = model_.Freq(0, 1, 2) + model_.Freq(0, 1, 1);
    model_.StartAlleleFreq[3] = 1 - model_.StartAlleleFreq[1];
    model_.StartAlleleFreq[4] = 1 - model_.StartAlleleFreq[2];
  }

  const double r = EntryValue(kEntryStartRPlus);
  for (int g = 1; g <= genotypes; ++g) {
    model_.Freq(1, 1, g) = (1 - r) * model_.Freq(0, 1, g);
    model_.Freq(0, 1, g) = r * model_.Freq(0, 1, g);
  }
  model_.NormaliseDeme(1, 0);

  for (int deme = 2; deme <= model_.Demes; ++deme) {
    for (int g = 1; g <= genotypes; ++g) {
      model_.Freq(0, deme, g) = model_.Freq(0, 1, g);
      model_.Freq(1, deme, g) = model_.Freq(1, 1, g);
    }
  }
}

}  // namespace quorvel
