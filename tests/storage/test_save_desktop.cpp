// The settings store's own logic, over an in-memory store: what registration returns, the three
// different name comparisons, removal by kind code, reloading, controls, the order of an export
// and how a failed write is reported.

#include <gtest/gtest.h>

#include <QRect>
#include <QStringList>
#include <QVariant>

#include <map>
#include <memory>
#include <set>

#include "storage/save_desktop.h"

using namespace quorvel;

namespace {

// Keeps values by exact name; records every write as "<kind>:<name>=<value>".
class MemoryStore : public TCustomSaveDesktop {
public:
    std::map<QString, QString> values;
    QStringList writes;
    std::set<QString> failing; // names whose write fails
    int batchesEnded = 0;

protected:
    bool ExisteValor(const QString& sNome) override { return values.contains(sNome); }
    void GravaInteger(const QString& sNome, std::int32_t iValor) override {
        Write("I", sNome, QString::number(iValor));
    }
    void GravaDouble(const QString& sNome, double dValor) override {
        Write("D", sNome, QString::number(dValor));
    }
    void GravaString(const QString& sNome, const QString& sValor) override {
        Write("S", sNome, sValor);
    }
    void GravaBoolean(const QString& sNome, bool bValor) override {
        Write("B", sNome, bValor ? "1" : "0");
    }
    std::int32_t LeInteger(const QString& sNome) override { return values.at(sNome).toInt(); }
    double LeDouble(const QString& sNome) override { return values.at(sNome).toDouble(); }
    QString LeString(const QString& sNome) override { return values.at(sNome); }
    bool LeBoolean(const QString& sNome) override { return values.at(sNome).toInt() != 0; }
    void AbreArmazenamento() override {}
    void FechaArmazenamento() override {}
    void EndWrites() override { ++batchesEnded; }

private:
    void Write(const char* kind, const QString& name, const QString& value) {
        if (failing.contains(name)) {
            throw SaveDesktopError("cannot write " + name);
        }
        values[name] = value;
        writes.append(QString::fromLatin1(kind) + u':' + name + u'=' + value);
    }
};

// A control as the store sees it: a QObject with a QRect "geometry".
std::unique_ptr<QObject> Control(const QString& name, QRect geometry) {
    auto control = std::make_unique<QObject>();
    control->setObjectName(name);
    control->setProperty("geometry", geometry);
    return control;
}

} // namespace

TEST(SaveDesktop, RegistrationReturnsStoredValueOrDefaultAndLeavesTheVariableAlone) {
    MemoryStore store;
    store.values = {{"i", "42"}, {"d", "2.5"}, {"b", "1"}, {"s", "C:\\media\\"}};
    std::int32_t i = 7;
    double d = 7;
    bool b = false;
    QString s = "untouched";

    EXPECT_EQ(store.AdicionarVariavel("i", &i, -1), 42);
    EXPECT_EQ(store.AdicionarVariavel("d", &d, -1.0), 2.5);
    EXPECT_TRUE(store.AdicionarVariavel("b", &b, false));
    EXPECT_EQ(store.AdicionarVariavel("s", &s, "x"), "C:\\media\\");
    EXPECT_EQ(store.AdicionarVariavel("i2", &i, kNeverStored), kNeverStored);
    EXPECT_EQ(store.AdicionarVariavel("d2", &d, 0.25), 0.25);
    EXPECT_TRUE(store.AdicionarVariavel("b2", &b, true));
    EXPECT_EQ(store.AdicionarVariavel("s2", &s, "padrão"), "padrão");

    EXPECT_EQ(i, 7);
    EXPECT_EQ(d, 7);
    EXPECT_FALSE(b);
    EXPECT_EQ(s, "untouched");
    EXPECT_TRUE(store.writes.isEmpty()) << "registration wrote to the store";
}

TEST(SaveDesktop, LoadEventsSeeNameAndDefaultAndMayChangeTheResult) {
    MemoryStore store;
    store.values = {{"n", "5"}};
    QStringList seen;
    store.SetOnLoadInteger([&](const QString& name, std::int32_t* value, std::int32_t fallback) {
        seen.append(QStringLiteral("%1 %2 %3").arg(name).arg(*value).arg(fallback));
        *value += 100;
    });
    store.SetOnLoadString([&](const QString& name, QString* value, const QString& fallback) {
        seen.append(name + u' ' + *value + u' ' + fallback);
        *value = "mudado";
    });
    std::int32_t n = 0;
    QString s;
    EXPECT_EQ(store.AdicionarVariavel("n", &n, 1), 105);
    EXPECT_EQ(store.AdicionarVariavel("s", &s, "p"), "mudado");
    EXPECT_EQ(seen, QStringList({"n 5 1", "s p p"}));
}

TEST(SaveDesktop, ThreeNameComparisonsDiffer) {
    MemoryStore store;
    std::int32_t x = 1;
    QString accented = "a";
    store.AdicionarVariavel("DesignerPosWindowX", &x, kNeverStored);
    store.AdicionarVariavel("éclair", &accented, "");

    // ExisteVariavel ignores the case of a-z only.
    EXPECT_TRUE(store.ExisteVariavel("designerposwindowx"));
    EXPECT_FALSE(store.ExisteVariavel("ÉCLAIR"));
    EXPECT_TRUE(store.ExisteVariavel("éCLAIR"));
    EXPECT_FALSE(store.ExisteVariavel("DesignerPosWindow"));

    // ExportaControle is exact.
    store.ExportaControle("designerposwindowx");
    EXPECT_TRUE(store.writes.isEmpty());
    store.ExportaControle("DesignerPosWindowX");
    EXPECT_EQ(store.writes, QStringList({"I:DesignerPosWindowX=1"}));

    // RemoverVariavel ignores case by the locale's rules, accented letters included.
    store.RemoverVariavel("ÉCLAIR", kVarString);
    EXPECT_FALSE(store.ExisteVariavel("éclair"));
}

TEST(SaveDesktop, RemoverVariavelRemovesOnlyFromTheKindItsCodeNames) {
    struct Case {
        std::int32_t code;
        const char* left; // what an export still writes
    };
    const Case cases[] = {
        {kVarInteger, "D:X=2 B:X=1 S:X=s"}, {kVarDouble, "I:X=1 B:X=1 S:X=s"},
        {kVarBoolean, "I:X=1 D:X=2 S:X=s"}, {kVarString, "I:X=1 D:X=2 B:X=1"},
        {258, "I:X=1 D:X=2 B:X=1 S:X=s"},   {0, "I:X=1 D:X=2 B:X=1 S:X=s"},
    };
    for (const Case& c : cases) {
        MemoryStore store;
        std::int32_t i = 1;
        double d = 2;
        bool b = true;
        QString s = "s";
        store.AdicionarVariavel("X", &i, 0);
        store.AdicionarVariavel("X", &d, 0.0);
        store.AdicionarVariavel("X", &b, false);
        store.AdicionarVariavel("X", &s, "");
        store.RemoverVariavel("x", c.code);
        store.ExportaControles();
        EXPECT_EQ(store.writes.join(u' '), c.left) << "code " << c.code;
    }
}

TEST(SaveDesktop, RemovingTheMiddleEntryKeepsTheOthersPairedWithTheirDefaults) {
    MemoryStore store;
    std::int32_t a = 0, b = 0, c = 0;
    store.AdicionarVariavel("A", &a, 1);
    store.AdicionarVariavel("B", &b, 2);
    store.AdicionarVariavel("C", &c, 3);
    store.RemoverVariavel("B", kVarInteger);
    a = b = c = -5;
    store.RecarregarVariaveis();
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, -5) << "a removed variable was still reloaded";
    EXPECT_EQ(c, 3);
}

TEST(SaveDesktop, ReloadGivesEveryVariableItsStoredValueOrDefaultWithoutEvents) {
    MemoryStore store;
    std::int32_t i = 0;
    double d = 0;
    bool b = false;
    QString s;
    QString unset = "keep";
    store.AdicionarVariavel("i", &i, 9);
    store.AdicionarVariavel("d", &d, 1.5);
    store.AdicionarVariavel("b", &b, true);
    store.AdicionarVariavel("s", &s, "pasta");
    store.AdicionarVariavel("null", static_cast<QString*>(nullptr), "x");
    int events = 0;
    store.SetOnLoadInteger([&](const QString&, std::int32_t*, std::int32_t) { ++events; });
    store.SetOnLoadString([&](const QString&, QString*, const QString&) { ++events; });

    store.RecarregarVariaveis();
    EXPECT_EQ(i, 9);
    EXPECT_EQ(d, 1.5);
    EXPECT_TRUE(b);
    EXPECT_EQ(s, "pasta");

    store.values = {{"i", "-3"}, {"s", ""}};
    store.RecarregarVariaveis();
    EXPECT_EQ(i, -3);
    EXPECT_EQ(s, "") << "a stored empty string is a value, not a missing one";
    EXPECT_EQ(events, 0);

    store.RemoverTodasVariaveis();
    EXPECT_FALSE(store.ExisteVariavel("i"));
    store.ExportaControles();
    EXPECT_TRUE(store.writes.isEmpty());
}

TEST(SaveDesktop, ExportWritesControlsThenIntegersDoublesBooleansStrings) {
    MemoryStore store;
    auto panel = Control("pnTools", QRect(10, 20, 300, 40));
    std::int32_t i = 1, twice = 2;
    double d = 0.5;
    bool b = true;
    QString s = "C:\\media\\";
    store.AdicionarVariavel("s", &s, "");
    store.AdicionarVariavel("b", &b, false);
    store.AdicionarVariavel("d", &d, 0.0);
    store.AdicionarVariavel("i", &i, 0);
    store.AdicionarVariavel("i", &twice, 0); // a second registration of a name writes again
    store.AdicionarControle(panel.get(), true);
    QStringList progress;
    store.SetOnWriting([&](const QString& name, std::int32_t index, std::int32_t total) {
        progress.append(QStringLiteral("%1 %2/%3").arg(name).arg(index).arg(total));
    });

    store.ExportaControles();
    EXPECT_EQ(store.writes, QStringList({"I:pnTools.Left=10", "I:pnTools.Top=20",
                                         "I:pnTools.Height=40", "I:pnTools.Width=300",
                                         "I:pnTools.ClientHeight=40", "I:pnTools.ClientWidth=300",
                                         "I:i=1", "I:i=2", "D:d=0.5", "B:b=1", "S:s=C:\\media\\"}));
    EXPECT_EQ(progress, QStringList({"pnTools 0/1", "i 0/2", "i 1/2", "d 0/1", "b 0/1", "s 0/1"}));
    EXPECT_EQ(store.batchesEnded, 1) << "one export must reach the store as one write";
}

TEST(SaveDesktop, ExportaControleWritesTheFirstEntryInKindOrderIntegerStringBooleanDouble) {
    MemoryStore store;
    double d = 1;
    bool b = true;
    QString s = "texto";
    store.AdicionarVariavel("N", &d, 0.0);
    store.AdicionarVariavel("N", &b, false);
    store.AdicionarVariavel("N", static_cast<std::int32_t*>(nullptr), 0); // skipped: no variable
    store.AdicionarVariavel("N", &s, "");
    store.ExportaControle("N");
    EXPECT_EQ(store.writes, QStringList({"S:N=texto"}));
}

TEST(SaveDesktop, ControlNotSizableRestoresOnlyLeftAndTopButExportsAllSix) {
    MemoryStore store;
    store.values = {{"pn.Left", "5"},           {"pn.Top", "6"},
                    {"pn.Width", "70"},         {"pn.Height", "80"},
                    {"pn.ClientWidth", "90"},   {"pn.ClientHeight", "99"},
                    {"sized.Left", "1"},        {"sized.Top", "2"},
                    {"sized.Width", "70"},      {"sized.Height", "80"},
                    {"sized.ClientWidth", "60"}};
    auto fixed = Control("pn", QRect(0, 0, 30, 40));
    auto sized = Control("sized", QRect(0, 0, 30, 40));
    store.AdicionarControle(fixed.get(), false);
    store.AdicionarControle(sized.get(), true);

    EXPECT_EQ(fixed->property("geometry").toRect(), QRect(5, 6, 30, 40));
    // Height and Width first, then the client width wins; no ClientHeight is stored.
    EXPECT_EQ(sized->property("geometry").toRect(), QRect(1, 2, 60, 80));

    store.writes.clear();
    store.ExportaControles();
    EXPECT_EQ(store.writes.filter("pn.").size(), 6);
}

TEST(SaveDesktop, ControlThatIsGoneOrRemovedIsNotWritten) {
    MemoryStore store;
    auto kept = Control("kept", QRect(1, 2, 3, 4));
    auto removed = Control("removed", QRect());
    auto destroyed = Control("destroyed", QRect());
    int loaded = 0;
    store.SetOnLoadControle([&](QObject*) { ++loaded; });
    store.AdicionarControle(removed.get(), false);
    store.AdicionarControle(kept.get(), false);
    store.AdicionarControle(destroyed.get(), false);
    store.AdicionarControle(removed.get(), true);
    store.AdicionarControle(nullptr, true);
    EXPECT_EQ(loaded, 4);

    store.RemoverControle(removed.get());
    destroyed.reset();
    store.ExportaControles();
    EXPECT_EQ(store.writes.size(), 6);
    EXPECT_EQ(store.writes.filter("kept.").size(), 6);
}

TEST(SaveDesktop, FailedWriteStopsNothingAndTheFirstFailureIsReported) {
    MemoryStore store;
    std::int32_t x = 1, y = 2;
    QString folder = "C:\\";
    store.AdicionarVariavel("X", &x, 0);
    store.AdicionarVariavel("Y", &y, 0);
    store.AdicionarVariavel("Folder", &folder, "");
    store.failing = {"X", "Folder"};

    try {
        store.ExportaControles();
        FAIL() << "a failed write was reported as success";
    } catch (const SaveDesktopError& error) {
        EXPECT_EQ(error.message(), "cannot write X");
    }
    EXPECT_EQ(store.writes, QStringList({"I:Y=2"}));
    EXPECT_EQ(store.batchesEnded, 1);

    EXPECT_EQ(store.TryExportaControles(), "cannot write X");
    store.failing.clear();
    EXPECT_EQ(store.TryExportaControles(), QString());
}

TEST(SaveDesktop, ExceptionFromAWritingHandlerStillEndsTheWrite) {
    MemoryStore store;
    std::int32_t x = 1;
    store.AdicionarVariavel("X", &x, 0);
    store.SetOnWriting([](const QString&, std::int32_t, std::int32_t) {
        throw std::runtime_error("handler failed");
    });
    EXPECT_THROW(store.ExportaControles(), std::runtime_error);
    EXPECT_EQ(store.batchesEnded, 1);
    EXPECT_EQ(store.TryExportaControles(), "handler failed");
}
