/* expr_test.cpp - the expression evaluator through asmbl: precedence,
   wrap-around arithmetic, bit lists, the location symbols, the four
   functions, and the failures with their messages. */
#include <gtest/gtest.h>

#include "harness.h"

namespace {

/* The value of an expression, read back from program memory: the expression
   is assigned with EQU and its four bytes are stored by RETLW. */
struct Evaluated {
    int32_t value;
    std::string messages;
};

Evaluated evaluate(const std::string &expression, const std::string &prelude = "")
{
    auto run = assemble(prelude + "v EQU " + expression +
                       "\n ORG 0\n retlw v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF, (v >> 24) & 0xFF\n");
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | (run.program[i] & 0xFF);
    return {(int32_t)value, run.messages};
}

/* The messages of a one-line statement that uses the expression as an operand. */
std::string messages_of(const std::string &source) { return assemble(" ORG 0\n" + source + "\n").messages; }

struct ValueCase {
    const char *expression;
    int32_t value;
};

TEST(Expressions, OperatorsFollowTheirLevelsAndWrap)
{
    const ValueCase cases[] = {
        {"1 + 2 << 3", 24},            /* << binds like + */
        {"1 << 2 + 3", 7},
        {"6 & 3 * 2", 4},              /* & binds like * */
        {"-2 * 3", -6},
        {"7 / -2", -3},                /* truncation toward zero */
        {"7 % -2", 1},                 /* remainder takes the dividend's sign */
        {"-7 % 2", -1},
        {"-16 >> 2", -4},              /* arithmetic shift */
        {"1 << 33", 2},                /* shift counts use five bits */
        {"0x7FFFFFFF + 1", INT32_MIN}, /* wraps without a message */
        {"0x10000 * 0x10000", 0},
        {"5 | 2 ^ 3", 4},
        {"~0x0F", -16},
        {"-(-2)", 2},
        {"(1 + 2) * 3", 9},
        {"1 < 2", -1},
        {"1 == 2", 0},
        {"1 < 2 < 3", -1},             /* (-1) < 3 */
        {"3 <> 3", 0},
        {"3 != 4", -1},
        {"2 <= 2", -1},
        {"2 =< 1", 0},
        {"2 >= 3", 0},
        {"3 => 3", -1},
        {"-1 > 0", 0},                 /* comparisons are signed */
        {"[0 3 7]", 0x89},
        {"[]", 0},
        {"[31]", INT32_MIN},
        {"[1 1]", 2},
        {"(-2147483647 - 1) / -1", INT32_MIN}, /* the quotient that does not fit wraps */
        {"(-2147483647 - 1) % -1", 0},
        {"'A' + 1", 66},
    };
    for (const ValueCase &c : cases) {
        Evaluated e = evaluate(c.expression);
        EXPECT_EQ(e.value, c.value) << c.expression;
        EXPECT_EQ(e.messages, "") << c.expression;
    }
}

TEST(Expressions, FunctionsTakeTheirSpellingFromTheKeywordList)
{
    const ValueCase cases[] = {
        {"CARACTERE(\"abc\", 0)", 97},
        {"caractere(\"abc\", 1 + 1)", 99},
        {"CARACTERE(\"abc\", 3)", -1},
        {"CARACTERE(\"abc\", -1)", -1},
        {"CARACTERE(\"\xE9\", 0)", 0xE9}, /* an unsigned byte */
        {"EGAL(\"a\", \"A\")", 0},
        {"EGAL(\"ab\", \"ab\")", -1},
        {"ESTCHAINE()", 0},
        {"ESTCHAINE(x)", 0},
        {"ESTCHAINE(1 + (2))", 0},
        {"ESTCHAINE(\"x\")", -1},
        {"DEFINI(nothing)", 0},
        {"DEFINI(k) + 1", 0},
        {"DEFINI(m)", 0}, /* a macro name is not a value */
        {"DEFINI(=loc)", 0},
    };
    const std::string prelude = "k EQU 5\nm MACRO\n ENDM\n";
    for (const ValueCase &c : cases) {
        Evaluated e = evaluate(c.expression, prelude);
        EXPECT_EQ(e.value, c.value) << c.expression;
        EXPECT_EQ(e.messages, "") << c.expression;
    }
}

TEST(Expressions, DefinedSeesAForwardReferenceAsUndefinedUntilTheLabel)
{
    auto run = assemble(" ORG 0\n"
                       " goto lbl\n"
                       "before EQU DEFINI(lbl)\n"
                       "lbl: nop\n"
                       "after EQU DEFINI(lbl)\n"
                       " retlw before & 0xFF, after & 0xFF\n");
    EXPECT_EQ(run.messages, "");
    EXPECT_EQ(run.program[0], 0x2801);
    EXPECT_EQ(run.program[2], 0x3400);
    EXPECT_EQ(run.program[3], 0x34FF);
}

TEST(Expressions, LocationSymbolsGiveTheCounterOfTheCurrentArea)
{
    auto run = assemble(" ORG 0x10\n goto .\n goto $ + 2\n ORG 0x0C, zreg\n"
                       "r EQU .\n ORG zprog\n movlw r\n");
    EXPECT_EQ(run.messages, "");
    EXPECT_EQ(run.program[0x10], 0x2810);
    EXPECT_EQ(run.program[0x11], 0x2813);
    EXPECT_EQ(run.program[0x12], 0x300C);
}

struct FailureCase {
    const char *statement;
    const char *message;
};

/* Every failure reports one error with the rest of the line dropped and
   abandons the statement: nothing is stored and the next line is read. */
TEST(Expressions, FailuresReportOneErrorAndAbandonTheStatement)
{
    const FailureCase cases[] = {
        {" movlw 4 / 0", "Division par zero"},
        {" movlw 4 % (1 - 1)", "Division par zero"},
        {" movlw [32]", "Indice du bit hors intervalle"},
        {" movlw [-1]", "Indice du bit hors intervalle"},
        {" movlw [1,2]", "Erreur de syntaxe dans l'expression"},
        {" movlw --2", "Erreur de syntaxe dans l'expression"},
        {" movlw -~2", "Erreur de syntaxe dans l'expression"},
        {" movlw 1 +", "Erreur de syntaxe dans l'expression"},
        {" movlw", "Erreur de syntaxe dans l'expression"},
        {" movlw \"s\"", "Erreur de syntaxe dans l'expression"},
        {" movlw (1 + 2", "')' attendu"},
        {" movlw 1 + undef", "Symbole non d\xE9" "fini 'undef'"},
        {" movlw 1 + m", "Mauvaise utilisation de nom de macro 'm'"},
        {" movlw 1 + =x", "Symbole local hors bloc"},
        {" movlw DEFINI x", "'(' attendu"},
        {" movlw DEFINI(1)", "Symbole attendu"},
        {" movlw DEFINI(k", "')' attendu"},
        {" movlw EGAL(\"a\" \"b\")", "',' attendu"},
        {" movlw EGAL(\"a\", 1)", "Chaine entre doubles guillemets attendue"},
        {" movlw CARACTERE(1, 0)", "Chaine entre doubles guillemets attendue"},
        {" movlw CARACTERE(\"ab\", 0", "')' attendu"},
        {" movlw CARACTERE(\"ab\", 4 / 0)", "Division par zero"},
        {" movlw ESTCHAINE(\"a\", \"b\")", "')' attendu"},
    };
    for (const FailureCase &c : cases) {
        auto run = assemble("k EQU 1\nm MACRO\n ENDM\n ORG 0\n" + std::string(c.statement) + "\n nop\n");
        EXPECT_EQ(run.messages, "Erreur: 5 [test.asm] " + std::string(c.message) + "\n 1 erreur\n")
            << c.statement;
        EXPECT_EQ(run.program[0], 0x0000) << c.statement << ": the next line is read";
        EXPECT_EQ(run.program[1], 0x3FFF) << c.statement;
    }
}

TEST(Expressions, ForwardReferenceInsideAnExpressionIsUndefined)
{
    /* Only a lone name may be a forward reference; inside an expression a
       name known only through a fix-up is still undefined. */
    EXPECT_EQ(messages_of(" goto later\n movlw 1 + later\nlater: nop"),
              "Erreur: 3 [test.asm] Symbole non d\xE9" "fini 'later'\n 1 erreur\n");
}

TEST(Expressions, LocationBeforeAnyOrgIsReported)
{
    auto run = assemble("x EQU .\n");
    EXPECT_EQ(run.messages, "Erreur: 1 [test.asm] ORG non trouv\xE9" "e\n 1 erreur\n");
}

TEST(Expressions, LocalSymbolOfAnEnclosingBlockIsNotSeen)
{
    auto run = assemble(" ORG 0\n LOCAL\n=a EQU 1\n LOCAL\n iorlw =a\n ENDLOCAL\n movlw =a\n ENDLOCAL\n");
    EXPECT_EQ(run.messages, "Erreur: 5 [test.asm] Symbole non d\xE9" "fini '=a'\n 1 erreur\n");
    EXPECT_EQ(run.program[0], 0x3001);
}

} // namespace

/* A fatal error raised while an operand is read (here the pool running out
   under long expanded lines) leaves an operator as the current token: the
   evaluation must stop there, and the run must end. */
TEST(Expressions, FatalErrorInsideAnExpressionEndsTheRun)
{
    std::string plus64;
    for (int i = 0; i < 64; i++)
        plus64 += "+0";
    std::string source = "m MACRO\n retlw 0%1%1\n ;%1%1\n ENDM\n ORG 0\n";
    for (int i = 0; i < 7; i++)
        source += " m " + plus64 + "\n";
    ::Run run = assemble(source);
    EXPECT_NE(run.messages.find("Erreur irr\xE9" "cup\xE9" "rable: "), std::string::npos) << run.messages;
}
