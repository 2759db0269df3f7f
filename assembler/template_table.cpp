#include "assembler/template_table.h"

#include <algorithm>
#include <cstdint>

#include "common/text.h"

namespace tarvix {

// clang-format off
constexpr std::array<InstructionTemplate, kTemplateCount + 1> kTemplateTable{{
    {"aaa_",             "00110111",                    1},
    {"aad_",             "11010101 00001010",           2},
    {"aam_",             "11010100 00001010",           2},
    {"aas_",             "00111111",                    1},
    {"adc_acu16/imm",    "00010101 data",               2},
    {"adc_acu8/imm",     "00010100 data",               2},
    {"adc_mem/imm",      "100000yw mod010r/m data",     3},
    {"adc_addr/imm",     "100000yw 00010110 addr data", 5},
    {"adc_reg16/imm",    "100000y1 mod010r/m data",     3},
    {"adc_reg8/imm",     "100000y0 mod010r/m data",     3},
    {"adc_mem/reg16",    "00010001 modregr/m",          2},
    {"adc_mem/reg8",     "00010000 modregr/m",          2},
    {"adc_addr/reg16",   "00010001 00reg110 addr",      4},
    {"adc_addr/reg8",    "00010000 00reg110 addr",      4},
    {"adc_reg16/addr",   "00010011 00reg110 addr",      4},
    {"adc_reg8/addr",    "00010010 00reg110 addr",      4},
    {"adc_reg16/mem",    "00010011 modregr/m",          2},
    {"adc_reg16/reg16",  "00010011 modregr/m",          2},
    {"adc_reg8/mem",     "00010010 modregr/m",          2},
    {"adc_reg8/reg8",    "00010010 modregr/m",          2},
    {"add_acu16/imm",    "00000101 data",               2},
    {"add_acu8/imm",     "00000100 data",               2},
    {"add_mem/imm",      "100000yw mod000r/m data",     3},
    {"add_addr/imm",     "100000yw 00000110 addr data", 5},
    {"add_reg16/imm",    "100000y1 mod000r/m data",     3},
    {"add_reg8/imm",     "100000y0 mod000r/m data",     3},
    {"add_mem/reg16",    "00000001 modregr/m",          2},
    {"add_mem/reg8",     "00000000 modregr/m",          2},
    {"add_addr/reg16",   "00000001 00reg110 addr",      4},
    {"add_addr/reg8",    "00000000 00reg110 addr",      4},
    {"add_reg16/addr",   "00000011 00reg110 addr",      4},
    {"add_reg8/addr",    "00000010 00reg110 addr",      4},
    {"add_reg16/mem",    "00000011 modregr/m",          2},
    {"add_reg16/reg16",  "00000011 modregr/m",          2},
    {"add_reg8/mem",     "00000010 modregr/m",          2},
    {"add_reg8/reg8",    "00000010 modregr/m",          2},
    {"and_acu16/imm",    "00100101 data",               2},
    {"and_acu8/imm",     "00100100 data",               2},
    {"and_mem/imm",      "100000yw mod100r/m data",     3},
    {"and_addr/imm",     "100000yw 00100110 addr data", 5},
    {"and_reg16/imm",    "100000y1 mod100r/m data",     3},
    {"and_reg8/imm",     "10000000 mod100r/m data",     3},
    {"and_mem/reg16",    "00100001 modregr/m",          2},
    {"and_mem/reg8",     "00100000 modregr/m",          2},
    {"and_addr/reg16",   "00100001 00reg110 addr",      4},
    {"and_addr/reg8",    "00100000 00reg110 addr",      4},
    {"and_reg16/addr",   "00100011 00reg110 addr",      4},
    {"and_reg8/addr",    "00100010 00reg110 addr",      4},
    {"and_reg16/mem",    "00100011 modregr/m",          2},
    {"and_reg16/reg16",  "00100011 modregr/m",          2},
    {"and_reg8/mem",     "00100010 modregr/m",          2},
    {"and_reg8/reg8",    "00100010 modregr/m",          2},

    {"call_",            "E8",                          3},
    {"call_mem",         "11111111 mod010r/m",          2},
    {"call_reg16",       "11111111 mod010r/m",          2},
    {"call_addr",        "11111111 00010110 addr",      4},
    {"cbw_",             "10011000",                    1},
    {"clc_",             "11111000",                    1},
    {"cld_",             "11111100",                    1},
    {"cli_",             "11111010",                    1},
    {"cmc_",             "11110101",                    1},
    {"cmp_acu16/imm",    "00111101 data",               2},
    {"cmp_acu8/imm",     "00111100 data",               2},
    {"cmp_mem/imm",      "100000yw mod111r/m data",     3},
    {"cmp_addr/imm",     "100000yw 00111110 addr data", 5},
    {"cmp_reg16/imm",    "100000y1 mod111r/m data",     3},
    {"cmp_reg8/imm",     "100000y0 mod111r/m data",     3},
    {"cmp_mem/reg16",    "00111001 modregr/m",          2},
    {"cmp_mem/reg8",     "00111000 modregr/m",          2},
    {"cmp_addr/reg16",   "00111001 00reg110 addr",      4},
    {"cmp_addr/reg8",    "00111000 00reg110 addr",      4},
    {"cmp_reg16/addr",   "00111011 00reg110 addr",      4},
    {"cmp_reg8/addr",    "00111010 00reg110 addr",      4},
    {"cmp_reg16/mem",    "00111011 modregr/m",          2},
    {"cmp_reg16/reg16",  "00111011 modregr/m",          2},
    {"cmp_reg8/mem",     "00111010 modregr/m",          2},
    {"cmp_reg8/reg8",    "00111010 modregr/m",          2},
    {"cmpsb_",           "10100110",                    1},
    {"cmpsw_",           "10100111",                    1},
    {"cwd_",             "10011001",                    1},

    {"daa_",             "00100111",                    1},
    {"das_",             "00101111",                    1},
    {"dec_mem",          "1111111w mod001r/m",          2},
    {"dec_addr",         "1111111w 00001110 addr",      4},
    {"dec_reg16",        "01001reg",                    1},
    {"dec_reg8",         "11111110 mod001r/m",          2},
    {"div_mem",          "1111011w mod110r/m",          2},
    {"div_addr",         "1111011w 00110110 addr",      4},
    {"div_reg16",        "11110111 mod110r/m",          2},
    {"div_reg8",         "11110110 mod110r/m",          2},

    {"hlt_",             "11110100",                    1},

    {"idiv_mem",         "1111011w mod111r/m",          2},
    {"idiv_addr",        "1111011w 00111110 addr",      4},
    {"idiv_reg16",       "11110111 mod111r/m",          2},
    {"idiv_reg8",        "11110110 mod111r/m",          2},
    {"imul_mem",         "1111011w mod101r/m",          2},
    {"imul_addr",        "1111011w 00101110 addr",      4},
    {"imul_reg16",       "11110111 mod101r/m",          2},
    {"imul_reg8",        "11110110 mod101r/m",          2},
    {"in_acu16/imm",     "11100101 port",               2},
    {"in_acu8/imm",      "11100100 port",               2},
    {"in_acu16/reg16",   "11101101",                    1},
    {"in_acu8/reg16",    "11101100",                    1},
    {"inc_mem",          "1111111w mod000r/m",          2},
    {"inc_addr",         "1111111w 00000110 addr",      4},
    {"inc_reg16",        "01000reg",                    1},
    {"inc_reg8",         "11111110 mod000r/m",          2},
    {"int_imm",          "11001101 tipe",               2},
    {"into_",            "11001110",                    1},
    {"iret_",            "11001111",                    1},

    {"ja_",              "77",                          2},
    {"jae_",             "73",                          2},
    {"jb_",              "72",                          2},
    {"jbe_",             "76",                          2},
    {"jc_",              "72",                          2},
    {"jcxz_",            "E3",                          2},
    {"je_",              "74",                          2},
    {"jg_",              "7F",                          2},
    {"jge_",             "7D",                          2},
    {"jl_",              "7C",                          2},
    {"jle_",             "7E",                          2},
    {"jmp_",             "E9",                          3},
    {"jmp_mem",          "11111111 mod100r/m",          2},
    {"jmp_addr",         "11111111 00100110 addr",      4},
    {"jmp_reg16",        "11111111 mod100r/m",          2},
    {"jna_",             "76",                          2},
    {"jnb_",             "73",                          2},
    {"jnc_",             "73",                          2},
    {"jne_",             "75",                          2},
    {"jng_",             "7E",                          2},
    {"jnl_",             "7D",                          2},
    {"jno_",             "71",                          2},
    {"jnp_",             "7B",                          2},
    {"jns_",             "79",                          2},
    {"jnz_",             "75",                          2},
    {"jo_",              "70",                          2},
    {"jp_",              "7A",                          2},
    {"jpe_",             "7A",                          2},
    {"jpo_",             "7B",                          2},
    {"js_",              "78",                          2},
    {"jz_",              "74",                          2},

    {"lock_",            "11110000",                    1},
    {"lodsb_",           "10101100",                    1},
    {"lodsw_",           "10101101",                    1},
    {"loop_",            "E2",                          2},
    {"loope_",           "E1",                          2},
    {"loopne_",          "E0",                          2},
    {"loopnz_",          "E0",                          2},
    {"loopz_",           "E1",                          2},

    {"mov_acu16/addr",   "10100001 addr",               3},
    {"mov_acu8/addr",    "10100000 addr",               3},
    {"mov_addr/acu16",   "10100011 addr",               3},
    {"mov_addr/acu8",    "10100010 addr",               3},
    {"mov_reg16/addr",   "10001011 00reg110 addr",      4},
    {"mov_reg8/addr",    "10001010 00reg110 addr",      4},
    {"mov_addr/reg16",   "10001001 00reg110 addr",      4},
    {"mov_addr/reg8",    "10001000 00reg110 addr",      4},
    {"mov_mem/imm",      "1100011w mod000r/m data",     3},
    {"mov_addr/imm",     "1100011w 00000110 addr data", 5},
    {"mov_mem/reg16",    "10001001 modregr/m",          2},
    {"mov_mem/reg8",     "10001000 modregr/m",          2},
    {"mov_reg16/imm",    "10111reg data",               2},
    {"mov_reg16/mem",    "10001011 modregr/m",          2},
    {"mov_reg16/reg16",  "10001011 modregr/m",          2},
    {"mov_reg8/imm",     "10110reg data",               2},
    {"mov_reg8/mem",     "10001010 modregr/m",          2},
    {"mov_reg8/reg8",    "10001010 modregr/m",          2},
    {"movsb_",           "10100100",                    1},
    {"movsw_",           "10100101",                    1},
    {"mul_mem",          "1111011w mod100r/m",          2},
    {"mul_addr",         "1111011w 00100110 addr",      4},
    {"mul_reg16",        "11110111 mod100r/m",          2},
    {"mul_reg8",         "11110110 mod100r/m",          2},

    {"neg_mem",          "1111011w mod011r/m",          2},
    {"neg_addr",         "1111011w 00011110 addr",      4},
    {"neg_reg16",        "11110111 mod011r/m",          2},
    {"neg_reg8",         "11110110 mod011r/m",          2},
    {"nop_",             "10010000",                    1},
    {"not_mem",          "1111011w mod010r/m",          2},
    {"not_addr",         "1111011w 00010110 addr",      4},
    {"not_reg16",        "11110111 mod010r/m",          2},
    {"not_reg8",         "11110110 mod010r/m",          2},

    {"or_acu16/imm",     "00001101 data",               2},
    {"or_acu8/imm",      "00001100 data",               2},
    {"or_mem/imm",       "100000yw mod001r/m data",     3},
    {"or_addr/imm",      "100000yw 00001110 addr data", 5},
    {"or_reg16/imm",     "100000y1 mod001r/m data",     3},
    {"or_reg8/imm",      "10000000 mod001r/m data",     3},
    {"or_mem/reg16",     "00001001 modregr/m",          2},
    {"or_mem/reg8",      "00001000 modregr/m",          2},
    {"or_addr/reg16",    "00001001 00reg110 addr",      4},
    {"or_addr/reg8",     "00001000 00reg110 addr",      4},
    {"or_reg16/addr",    "00001011 00reg110 addr",      4},
    {"or_reg8/addr",     "00001010 00reg110 addr",      4},
    {"or_reg16/mem",     "00001011 modregr/m",          2},
    {"or_reg16/reg16",   "00001011 modregr/m",          2},
    {"or_reg8/mem",      "00001010 modregr/m",          2},
    {"or_reg8/reg8",     "00001010 modregr/m",          2},
    {"out_imm/acu16",    "11100111 port",               2},
    {"out_imm/acu8",     "11100110 port",               2},
    {"out_reg16/acu16",  "11101111",                    1},
    {"out_reg16/acu8",   "11101110",                    1},

    {"pop_mem",          "10001111 mod000r/m",          2},
    {"pop_addr",         "10001111 00000110 addr",      4},
    {"pop_reg16",        "01011reg",                    1},
    {"popf_",            "10011101",                    1},
    {"push_mem",         "11111111 mod110r/m",          2},
    {"push_addr",        "11111111 00110110 addr",      4},
    {"push_reg16",       "01010reg",                    1},
    {"pushf_",           "10011100",                    1},

    {"rcl_mem/reg8",     "1101001w mod010r/m>><<",      2},
    {"rcl_addr/reg8",    "1101001w 00010110>><< addr",  4},
    {"rcl_reg16/reg8",   "11010011 mod010r/m>><<",      2},
    {"rcl_reg8/reg8",    "11010010 mod010r/m>><<",      2},
    {"rcl_mem/imm",      "1101000w mod010r/m>><<",      2},
    {"rcl_addr/imm",     "1101000w 00010110>><< addr",  4},
    {"rcl_reg16/imm",    "11010001 mod010r/m>><<",      2},
    {"rcl_reg8/imm",     "11010000 mod010r/m>><<",      2},
    {"rcr_mem/reg8",     "1101001w mod011r/m>><<",      2},
    {"rcr_addr/reg8",    "1101001w 00011110>><< addr",  4},
    {"rcr_reg16/reg8",   "11010011 mod011r/m>><<",      2},
    {"rcr_reg8/reg8",    "11010010 mod011r/m>><<",      2},
    {"rcr_mem/imm",      "1101000w mod011r/m>><<",      2},
    {"rcr_addr/imm",     "1101000w 00011110>><< addr",  4},
    {"rcr_reg16/imm",    "11010001 mod011r/m>><<",      2},
    {"rcr_reg8/imm",     "11010000 mod011r/m>><<",      2},
    {"rep_",             "11110011",                    1},
    {"repe_",            "11110011",                    1},
    {"repne_",           "11110010",                    1},
    {"repnz_",           "11110010",                    1},
    {"repz_",            "11110011",                    1},
    {"ret_",             "11000011",                    1},
    {"rol_mem/reg8",     "1101001w mod000r/m>><<",      2},
    {"rol_addr/reg8",    "1101001w 00000110>><< addr",  4},
    {"rol_reg16/reg8",   "11010011 mod000r/m>><<",      2},
    {"rol_reg8/reg8",    "11010010 mod000r/m>><<",      2},
    {"rol_mem/imm",      "1101000w mod000r/m>><<",      2},
    {"rol_addr/imm",     "1101000w 00000110>><< addr",  4},
    {"rol_reg16/imm",    "11010001 mod000r/m>><<",      2},
    {"rol_reg8/imm",     "11010000 mod000r/m>><<",      2},
    {"ror_mem/reg8",     "1101001w mod001r/m>><<",      2},
    {"ror_addr/reg8",    "1101001w 00001110>><< addr",  4},
    {"ror_reg16/reg8",   "11010011 mod001r/m>><<",      2},
    {"ror_reg8/reg8",    "11010010 mod001r/m>><<",      2},
    {"ror_mem/imm",      "1101000w mod001r/m>><<",      2},
    {"ror_addr/imm",     "1101000w 00001110>><< addr",  4},
    {"ror_reg16/imm",    "11010001 mod001r/m>><<",      2},
    {"ror_reg8/imm",     "11010000 mod001r/m>><<",      2},

    {"sal_mem/reg8",     "1101001w mod100r/m>><<",      2},
    {"sal_addr/reg8",    "1101001w 00100110>><< addr",  4},
    {"sal_reg16/reg8",   "11010011 mod100r/m>><<",      2},
    {"sal_reg8/reg8",    "11010010 mod100r/m>><<",      2},
    {"sal_mem/imm",      "1101000w mod100r/m>><<",      2},
    {"sal_addr/imm",     "1101000w 00100110>><< addr",  4},
    {"sal_reg16/imm",    "11010001 mod100r/m>><<",      2},
    {"sal_reg8/imm",     "11010000 mod100r/m>><<",      2},
    {"sar_mem/reg8",     "1101001w mod111r/m>><<",      2},
    {"sar_addr/reg8",    "1101001w 00111110>><< addr",  4},
    {"sar_reg16/reg8",   "11010011 mod111r/m>><<",      2},
    {"sar_reg8/reg8",    "11010010 mod111r/m>><<",      2},
    {"sar_mem/imm",      "1101000w mod111r/m>><<",      2},
    {"sar_addr/imm",     "1101000w 00111110>><< addr",  4},
    {"sar_reg16/imm",    "11010001 mod111r/m>><<",      2},
    {"sar_reg8/imm",     "11010000 mod111r/m>><<",      2},
    {"sbb_acu16/imm",    "00011101 data",               2},
    {"sbb_acu8/imm",     "00011100 data",               2},
    {"sbb_mem/imm",      "100000yw mod011r/m data",     3},
    {"sbb_addr/imm",     "100000yw 00011110 addr data", 5},
    {"sbb_reg16/imm",    "100000y1 mod011r/m data",     3},
    {"sbb_reg8/imm",     "100000y0 mod011r/m data",     3},
    {"sbb_mem/reg16",    "00011001 modregr/m",          2},
    {"sbb_mem/reg8",     "00011000 modregr/m",          2},
    {"sbb_addr/reg16",   "00011001 00reg110 addr",      4},
    {"sbb_addr/reg8",    "00011000 00reg110 addr",      4},
    {"sbb_reg16/addr",   "00011011 00reg110 addr",      4},
    {"sbb_reg8/addr",    "00011010 00reg110 addr",      4},
    {"sbb_reg16/mem",    "00011011 modregr/m",          2},
    {"sbb_reg16/reg16",  "00011011 modregr/m",          2},
    {"sbb_reg8/mem",     "00011010 modregr/m",          2},
    {"sbb_reg8/reg8",    "00011010 modregr/m",          2},
    {"scasb_",           "10101110",                    1},
    {"scasw_",           "10101111",                    1},
    {"shl_mem/reg8",     "1101001w mod100r/m>><<",      2},
    {"shl_addr/reg8",    "1101001w 00100110>><< addr",  4},
    {"shl_reg16/reg8",   "11010011 mod100r/m>><<",      2},
    {"shl_reg8/reg8",    "11010010 mod100r/m>><<",      2},
    {"shl_mem/imm",      "1101000w mod100r/m>><<",      2},
    {"shl_addr/imm",     "1101000w 00100110>><< addr",  4},
    {"shl_reg16/imm",    "11010001 mod100r/m>><<",      2},
    {"shl_reg8/imm",     "11010000 mod100r/m>><<",      2},
    {"shr_mem/reg8",     "1101001w mod101r/m>><<",      2},
    {"shr_addr/reg8",    "1101001w 00101110>><< addr",  4},
    {"shr_reg16/reg8",   "11010011 mod101r/m>><<",      2},
    {"shr_reg8/reg8",    "11010010 mod101r/m>><<",      2},
    {"shr_mem/imm",      "1101000w mod101r/m>><<",      2},
    {"shr_addr/imm",     "1101000w 00101110>><< addr",  4},
    {"shr_reg16/imm",    "11010001 mod101r/m>><<",      2},
    {"shr_reg8/imm",     "11010000 mod101r/m>><<",      2},
    {"stc_",             "11111001",                    1},
    {"std_",             "11111101",                    1},
    {"sti_",             "11111011",                    1},
    {"stosb_",           "10101010",                    1},
    {"stosw_",           "10101011",                    1},
    {"sub_acu16/imm",    "00101101 data",               2},
    {"sub_acu8/imm",     "00101100 data",               2},
    {"sub_mem/imm",      "100000yw mod101r/m data",     3},
    {"sub_addr/imm",     "100000yw 00101110 addr data", 5},
    {"sub_reg16/imm",    "100000y1 mod101r/m data",     3},
    {"sub_reg8/imm",     "100000y0 mod101r/m data",     3},
    {"sub_mem/reg16",    "00101001 modregr/m",          2},
    {"sub_mem/reg8",     "00101000 modregr/m",          2},
    {"sub_addr/reg16",   "00101001 00reg110 addr",      4},
    {"sub_addr/reg8",    "00101000 00reg110 addr",      4},
    {"sub_reg16/addr",   "00101011 00reg110 addr",      4},
    {"sub_reg8/addr",    "00101010 00reg110 addr",      4},
    {"sub_reg16/mem",    "00101011 modregr/m",          2},
    {"sub_reg16/reg16",  "00101011 modregr/m",          2},
    {"sub_reg8/mem",     "00101010 modregr/m",          2},
    {"sub_reg8/reg8",    "00101010 modregr/m",          2},

    {"test_mem/reg16",   "10000101 modregr/m",          2},
    {"test_mem/reg8",    "10000100 modregr/m",          2},
    {"test_reg16/mem",   "10000101 modregr/m",          2},
    {"test_reg16/reg16", "10000101 modregr/m",          2},
    {"test_reg8/mem",    "10000100 modregr/m",          2},
    {"test_reg8/reg8",   "10000100 modregr/m",          2},
    {"test_addr/reg16",  "10000101 00reg110 addr",      4},
    {"test_addr/reg8",   "10000100 00reg110 addr",      4},
    {"test_reg16/addr",  "10000101 00reg110 addr",      4},
    {"test_reg8/addr",   "10000100 00reg110 addr",      4},
    {"test_addr/imm",    "1111011w 00000110 addr data", 5},
    {"test_mem/imm",     "1111011w mod000r/m data",     3},
    {"test_acu16/imm",   "10101001 data",               2},
    {"test_acu8/imm",    "10101000 data",               2},
    {"test_reg16/imm",   "11110111 mod000r/m data",     3},
    {"test_reg8/imm",    "11110110 mod000r/m data",     3},

    {"wait_",            "10011011",                    1},

    {"xchg_acu16/reg16", "10010reg",                    1},
    {"xchg_reg16/acu16", "10010reg",                    1},
    {"xchg_mem/reg16",   "10000111 modregr/m",          2},
    {"xchg_mem/reg8",    "10000110 modregr/m",          2},
    {"xchg_reg16/mem",   "10000111 modregr/m",          2},
    {"xchg_reg16/reg16", "10000111 modregr/m",          2},
    {"xchg_reg8/mem",    "10000110 modregr/m",          2},
    {"xchg_reg8/reg8",   "10000110 modregr/m",          2},
    {"xchg_addr/reg16",  "10000111 00reg110 addr",      4},
    {"xchg_addr/reg8",   "10000110 00reg110 addr",      4},
    {"xchg_reg16/addr",  "10000111 00reg110 addr",      4},
    {"xchg_reg8/addr",   "10000110 00reg110 addr",      4},
    {"xlat_",            "11010111",                    1},
    {"xor_acu16/imm",    "00110101 data",               2},
    {"xor_acu8/imm",     "00110100 data",               2},
    {"xor_mem/imm",      "100000yw mod110r/m data",     3},
    {"xor_addr/imm",     "100000yw 00110110 addr data", 5},
    {"xor_reg16/imm",    "100000y1 mod110r/m data",     3},
    {"xor_reg8/imm",     "10000000 mod110r/m data",     3},
    {"xor_mem/reg16",    "00110001 modregr/m",          2},
    {"xor_mem/reg8",     "00110000 modregr/m",          2},
    {"xor_addr/reg16",   "00110001 00reg110 addr",      4},
    {"xor_addr/reg8",    "00110000 00reg110 addr",      4},
    {"xor_reg16/addr",   "00110011 00reg110 addr",      4},
    {"xor_reg8/addr",    "00110010 00reg110 addr",      4},
    {"xor_reg16/mem",    "00110011 modregr/m",          2},
    {"xor_reg16/reg16",  "00110011 modregr/m",          2},
    {"xor_reg8/mem",     "00110010 modregr/m",          2},
    {"xor_reg8/reg8",    "00110010 modregr/m",          2},
    {"", "", 0},
}};
// clang-format on

namespace {

constexpr LetterIndex letterGroups() {
    std::array<std::size_t, 26> counts{};
    for (const InstructionTemplate& row : kTemplateTable) {
        if (row.formName.empty()) {
            break;
        }
        const char first = row.formName.front();
        if (first >= 'a' && first <= 'z') {
            ++counts[static_cast<std::size_t>(first - 'a')];
        }
    }
    LetterIndex index{};
    for (std::size_t k = 0; k < counts.size(); ++k) {
        index[k + 1] = index[k] + counts[k];
    }
    return index;
}

constexpr LetterIndex kLetterIndex = letterGroups();

constexpr std::size_t longestKey() {
    std::size_t longest = 0;
    for (const InstructionTemplate& row : kTemplateTable) {
        longest = std::max(longest, row.formName.size());
    }
    return longest;
}

constexpr bool keysAreLowerCase() {
    for (const InstructionTemplate& row : kTemplateTable) {
        for (const char c : row.formName) {
            if (c >= 'A' && c <= 'Z') {
                return false;
            }
        }
    }
    return true;
}

// The lookup folds the key alone.
static_assert(keysAreLowerCase());

constexpr bool fieldsOccurOnce() {
    for (const InstructionTemplate& row : kTemplateTable) {
        for (const Field field : kFields) {
            const std::size_t at = row.bitPattern.find(fieldName(field));
            if (at != std::string_view::npos &&
                row.bitPattern.find(fieldName(field), at + 1) != std::string_view::npos) {
                return false;
            }
        }
    }
    return true;
}

// BitPattern::fill writes a field's bits over its one occurrence.
static_assert(fieldsOccurOnce());

// FNV-1a, over a key already in lower case.
constexpr std::uint32_t keyHash(std::string_view key) {
    std::uint32_t hash = 2166136261u;
    for (const char c : key) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    return hash;
}

// Row numbers by key hash, probed linearly, built at compile time: every statement looks its
// form up, so neither the lookup nor the start of the program goes through the rows.
constexpr std::size_t kSlotCount = 1024;
constexpr std::uint16_t kNoRow = 0xFFFF;
static_assert(kSlotCount >= 2 * kTemplateCount && (kSlotCount & (kSlotCount - 1)) == 0);

constexpr std::array<std::uint16_t, kSlotCount> hashSlots() {
    std::array<std::uint16_t, kSlotCount> slots{};
    slots.fill(kNoRow);
    for (std::size_t row = 0; row < kTemplateCount; ++row) {
        std::size_t slot = keyHash(kTemplateTable[row].formName) & (kSlotCount - 1);
        while (slots[slot] != kNoRow) {
            slot = (slot + 1) & (kSlotCount - 1);
        }
        slots[slot] = static_cast<std::uint16_t>(row);
    }
    return slots;
}

constexpr std::array<std::uint16_t, kSlotCount> kHashSlots = hashSlots();

// The key in lower case, in `buffer`; empty when it is longer than any key of the table.
std::string_view foldedKey(std::string_view key, std::array<char, longestKey()>& buffer) {
    if (key.size() > buffer.size()) {
        return {};
    }
    std::transform(key.begin(), key.end(), buffer.begin(), asciiLower);
    return {buffer.data(), key.size()};
}

}  // namespace

LetterIndex buildLetterIndex() {
    return kLetterIndex;
}

const InstructionTemplate* findRow(std::string_view key, std::size_t first, std::size_t last) {
    std::array<char, longestKey()> buffer{};
    const std::string_view lowered = foldedKey(key, buffer);
    if (lowered.size() != key.size()) {
        return nullptr;
    }
    for (std::size_t i = first; i < last && i < kTemplateCount; ++i) {
        if (kTemplateTable[i].formName == lowered) {
            return &kTemplateTable[i];
        }
    }
    return nullptr;
}

const InstructionTemplate* findForm(std::string_view key) {
    std::array<char, longestKey()> buffer{};
    const std::string_view lowered = foldedKey(key, buffer);
    if (lowered.size() != key.size()) {
        return nullptr;
    }
    // Keys are unique, so the first row of the key's letter group that matches is the one.
    for (std::size_t slot = keyHash(lowered) & (kSlotCount - 1); kHashSlots[slot] != kNoRow;
         slot = (slot + 1) & (kSlotCount - 1)) {
        if (kTemplateTable[kHashSlots[slot]].formName == lowered) {
            return &kTemplateTable[kHashSlots[slot]];
        }
    }
    return nullptr;
}

}  // namespace tarvix
