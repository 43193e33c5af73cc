#include "core/globals.h"
#include "core/skins.h"
#include "core/ui/formsetup.h"
#include "platform/skin/skinframework.h"
#include "platform/vb/textfile.h"
#include "tests/core/core_fixture.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QToolBar>

// The suite's main MDI window, which keeps its own toolbar style.
class FRMMDI : public QDialog {
    Q_OBJECT
};

namespace {

using namespace ModGlobal;

TEST(SkinChoiceTest, EachStylesValueHasItsSkin) {
    const struct {
        std::int16_t estilo;
        const char* archivo;
        const char* ini;
    } cases[] = {
        {1, "Styles\\Vista.cjstyles", ""},        {2, "Styles\\WinXP.Luna.cjstyles", ""},
        {3, "Styles\\WinXP.Royale.cjstyles", ""}, {4, "Styles\\iTunes", "Normalitunes.ini"},
        {7, "Styles\\Office2007.cjstyles", ""},   {0, "Styles\\Office2007.cjstyles", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.estilo);
        const core::Skin skin = core::skinFor(c.estilo);
        EXPECT_EQ(skin.archivo, c.archivo);
        EXPECT_EQ(skin.ini, c.ini);
    }
}

class FormSetupTest : public coretest::CoreTest {
protected:
    FormSetupTest() {
        gDB().gDBName = "Ventas";
        // The program's own skins, as the build puts them beside the program.
        const QDir fuente(zxtest::sourcePath("core/Styles"));
        QDir(folder.path()).mkpath("Styles/iTunes");
        for (const QString& f : {QString("Vista.cjstyles"), QString("WinXP.Luna.cjstyles"),
                                 QString("WinXP.Royale.cjstyles"), QString("Office2007.cjstyles"),
                                 QString("iTunes/Normalitunes.ini")})
            QFile::copy(fuente.filePath(f), folder.file("Styles/" + f));
    }
    void estilo(const QString& seccion, const QString& valor) {
        ASSERT_TRUE(vb::writeTextLines(folder.file("zx900pr.ini"),
                                       {"[" + seccion + "]", "Styles=" + valor}));
    }
    static QString hoja(const QString& ruta) { return QString::fromUtf8(zxtest::readFile(ruta)); }
};

TEST_F(FormSetupTest, TheStylesValueIsReadPerUserAndDatabase) {
    EXPECT_EQ(core::leeEstiloSkin(), 4);  // no INI file
    const struct {
        const char* seccion;
        const char* valor;
        std::int16_t esperado;
    } cases[] = {
        {"ANA_VENTASStyles", "2", 2},
        {"ANA_VENTASStyles", "abc", 0},
        {"ANA_COMPRASStyles", "2", 4},  // another database keeps its own
        {"BEA_VENTASStyles", "2", 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seccion);
        estilo(c.seccion, c.valor);
        EXPECT_EQ(core::leeEstiloSkin(), c.esperado);
        EXPECT_EQ(gEstiloSkin, c.esperado);
    }
}

TEST_F(FormSetupTest, CargaSkinDressesTheForm) {
    QDialog form;
    auto* skin = new SkinFramework(&form);
    skin->setObjectName("SkinFramework1");
    CargaSkin(form);
    EXPECT_EQ(form.styleSheet(), hoja(folder.file("Styles/iTunes/Normalitunes.ini")));
    EXPECT_EQ(skin->ApplyOptions() & 1, 1);
    estilo("ANA_VENTASStyles", "1");
    CargaSkin(form);
    EXPECT_EQ(form.styleSheet(), hoja(folder.file("Styles/Vista.cjstyles")));
}

TEST_F(FormSetupTest, AMissingSkinLeavesTheFormAsItWas) {
    QFile::remove(folder.file("Styles/Office2007.cjstyles"));
    estilo("ANA_VENTASStyles", "9");
    QDialog form;
    (new SkinFramework(&form))->setObjectName("SkinFramework1");
    form.setStyleSheet("QWidget { color: red; }");
    CargaSkin(form);
    EXPECT_EQ(form.styleSheet(), "QWidget { color: red; }");
}

TEST_F(FormSetupTest, ConfiguraFormularioGivesTheIconAndTheToolbarStyle) {
    gFlatToolbars = 0.0;
    QDialog form;
    auto* barra = new QToolBar(&form);
    barra->setObjectName("TBarRep1");
    ConfiguraFormulario(form);
    EXPECT_FALSE(form.windowIcon().availableSizes().isEmpty());
    EXPECT_EQ(barra->property("StyleBar"), QVariant(0.0));
}

TEST_F(FormSetupTest, TheMdiWindowKeepsItsToolbarStyle) {
    gFlatToolbars = 0.0;
    FRMMDI form;
    auto* barra = new QToolBar(&form);
    barra->setObjectName("Trelvo1");
    ConfiguraFormulario(form);
    EXPECT_FALSE(form.windowIcon().availableSizes().isEmpty());
    EXPECT_FALSE(barra->property("StyleBar").isValid());
}

}  // namespace

#include "formsetup_test.moc"
