#include <cmath>
#include <gtest/gtest.h>

#include "core/physicaltables.h"
#include "core/units.h"
#include "support/testfiles.h"

namespace {

struct VictoreenTable : ::testing::Test
{
    void SetUp() override { ASSERT_TRUE(loadVictoreenTable()); }
    void TearDown() override { loadVictoreenTable(); }
};

TEST(ElementTable, RowsSymbolsAndLookups)
{
    for (int z = 0; z < ElementTableSize; z++)
        EXPECT_EQ(elementTable[z].Z, z);
    EXPECT_EQ(elementTable[0].symbol, " ");
    EXPECT_EQ(elementTable[28].symbol, "Ni");
    EXPECT_DOUBLE_EQ(elementTable[28].weight, 58.96);
    EXPECT_DOUBLE_EQ(elementTable[96].weight, elementTable[97].weight);
    EXPECT_EQ(elementTable[109].symbol, "Mt");
    EXPECT_DOUBLE_EQ(elementTable[105].weight, 0.0);

    EXPECT_EQ(symbolToZ("Cu"), 29);
    EXPECT_EQ(symbolToZ("H"), 1);
    EXPECT_EQ(symbolToZ("U"), 92);
    EXPECT_EQ(symbolToZ("Mt"), 109);
    EXPECT_EQ(symbolToZ("D"), 110);
    EXPECT_EQ(symbolToZ(" "), 0);
    EXPECT_EQ(symbolToZ("cu"), -1);
    EXPECT_EQ(symbolToZ("CU"), -1);
    EXPECT_EQ(symbolToZ("Xx"), -1);
    EXPECT_EQ(symbolToZ(""), -1);
    // Every symbol maps back to its own row.
    for (int z = 0; z < ElementTableSize; z++)
        EXPECT_EQ(symbolToZ(elementTable[z].symbol), z) << z;
}

TEST(ElementTable, EdgeNamesAndUnits)
{
    EXPECT_EQ(edgeNames[0], "K");
    EXPECT_EQ(edgeNames[3], "LIII");
    EXPECT_EQ(edgeIndex("l3"), 3);
    EXPECT_EQ(edgeIndex("LIII"), 3);
    EXPECT_EQ(edgeIndex("Lii"), 2);
    EXPECT_EQ(edgeIndex("l1"), 1);
    EXPECT_EQ(edgeIndex("k"), 0);
    EXPECT_EQ(edgeIndex("M1"), 0);
    EXPECT_EQ(edgeIndex(""), 0);
    for (int k = 0; k < EdgeNameCount; k++)
        EXPECT_EQ(edgeIndex(edgeNames[k]), k);

    EXPECT_EQ(clampNonNegative(2.5), 2.5);
    EXPECT_EQ(clampNonNegative(-1.0), 0.0);
    EXPECT_EQ(clampNonNegative(std::nan("")), 0.0);

    EXPECT_EQ(unitTable[0].name, "eV");
    EXPECT_EQ(unitTable[0].format, "% 8.2f");
    EXPECT_EQ(unitTable[3].name, "deg");
    EXPECT_EQ(QString::asprintf(unitTable[1].format.toLatin1().constData(), 8.98436),
              " 8.98436");

    Units u(3.13553);
    EXPECT_DOUBLE_EQ(u.d(), 3.13553);
    QMetaObject::invokeMethod(&u, "setD", Q_ARG(double, 1.92));
    EXPECT_DOUBLE_EQ(u.d(), 1.92);
}

TEST_F(VictoreenTable, CompiledInResource)
{
    EXPECT_EQ(victoreenRowCount, 93);
    for (int z = 0; z < victoreenRowCount; z++)
        EXPECT_EQ(victoreenTable[z].Z, z) << z;
    // Row 0 is the title line: all zero.
    for (int k = 0; k < VictoreenSlots; k++) {
        EXPECT_EQ(victoreenTable[0].edge[k], 0.0);
        EXPECT_EQ(victoreenTable[0].C[k], 0.0);
    }
    EXPECT_EQ(victoreenTable[1].edge[0], 0.0);

    const VictoreenRec &cu = victoreenTable[29];
    EXPECT_DOUBLE_EQ(cu.edge[0], 8.98436029);
    EXPECT_DOUBLE_EQ(cu.C[0], 176);
    EXPECT_DOUBLE_EQ(cu.D[0], 48.3);
    EXPECT_DOUBLE_EQ(cu.edge[1], 1.1);
    EXPECT_DOUBLE_EQ(cu.edge[2], 0.954);
    EXPECT_DOUBLE_EQ(cu.edge[3], 0.935);
    for (int k = 1; k < 4; k++) {
        EXPECT_EQ(cu.C[k], 0.0);
        EXPECT_EQ(cu.D[k], 0.0);
    }
    EXPECT_DOUBLE_EQ(victoreenTable[26].edge[0], 7.11326288);

    const VictoreenRec &w = victoreenTable[74];
    EXPECT_DOUBLE_EQ(w.edge[0], 69.496);
    EXPECT_DOUBLE_EQ(w.edge[4], 4.374);
    EXPECT_DOUBLE_EQ(w.C[4], 65.3);
    EXPECT_DOUBLE_EQ(w.D[4], 11.9);
    for (int k = 0; k < VictoreenSlots; k++) {
        EXPECT_GT(w.edge[k], 0.0) << k;
        EXPECT_GT(w.C[k], 0.0) << k;
        EXPECT_GT(w.D[k], 0.0) << k;
    }
    // Edges do not rise from K to LIII for every element that has them.
    for (int z = 2; z <= 92; z++) {
        const VictoreenRec &r = victoreenTable[z];
        for (int k = 1; k < 4; k++) {
            if (r.edge[k] > 0) {
                EXPECT_LE(r.edge[k], r.edge[k - 1]) << z << " " << k;
            }
        }
    }
}

TEST_F(VictoreenTable, EdgeEnergyLookupStaysInTheTable)
{
    EXPECT_DOUBLE_EQ(edgeEnergyEV(29, 0), 8984.36029);
    EXPECT_DOUBLE_EQ(edgeEnergyEV(symbolToZ("Fe"), edgeIndex("K")), 7113.26288);
    EXPECT_DOUBLE_EQ(edgeEnergyEV(29, 3), 935.0);
    EXPECT_EQ(edgeEnergyEV(1, 0), 0.0);

    DebugCapture log;
    EXPECT_EQ(edgeEnergyEV(93, 0), 0.0);
    EXPECT_EQ(edgeEnergyEV(symbolToZ("D"), 0), 0.0);
    EXPECT_EQ(edgeEnergyEV(-1, 0), 0.0);
    EXPECT_EQ(edgeEnergyEV(29, 4), 0.0);
    EXPECT_EQ(edgeEnergyEV(29, -1), 0.0);
    EXPECT_EQ(log.count("No edge energy"), 5);
}

TEST_F(VictoreenTable, OtherFilesAndBadInput)
{
    TestFiles files;
    DebugCapture log;
    EXPECT_FALSE(loadVictoreenTable(files.path("Missing.txt")));
    EXPECT_TRUE(log.contains("Cannot open [Missing.txt]\n"));
    EXPECT_EQ(victoreenRowCount, 0);
    // A missing resource is named without the resource prefix.
    EXPECT_FALSE(loadVictoreenTable(":Missing.txt"));
    EXPECT_TRUE(log.contains("Cannot open [Missing.txt]\n"));
    EXPECT_FALSE(log.contains("Cannot open [:Missing.txt]"));
    EXPECT_EQ(edgeEnergyEV(29, 0), 0.0);

    // Comments and empty lines take no row; short lines read as zeros; negative
    // values other than the K edge are clamped; an over-long file stops at the capacity.
    QString text = "= Z K\n# comment\n\nH 1 =\nHe 2 -0.5 1 -3 4 -5\nLi 3 nan\n";
    for (int z = 4; z < 130; z++)
        text += QString("X%1 %1 %1.5\n").arg(z);
    ASSERT_TRUE(loadVictoreenTable(files.writeText("V.txt", text)));
    EXPECT_EQ(victoreenRowCount, VictoreenCapacity);
    EXPECT_TRUE(log.contains("has more than 100 rows"));
    EXPECT_EQ(victoreenTable[2].Z, 2);
    EXPECT_EQ(victoreenTable[2].edge[0], -0.5);
    EXPECT_EQ(victoreenTable[2].C[0], 0.0);
    EXPECT_EQ(victoreenTable[2].D[0], 4.0);
    EXPECT_EQ(victoreenTable[2].edge[1], 0.0);
    EXPECT_EQ(victoreenTable[3].edge[0], 0.0);
    EXPECT_EQ(victoreenTable[99].Z, 99);
    EXPECT_DOUBLE_EQ(victoreenTable[99].edge[0], 99.5);
    EXPECT_DOUBLE_EQ(edgeEnergyEV(99, 0), 99500.0);
    EXPECT_EQ(edgeEnergyEV(100, 0), 0.0);

    // A row whose Z is not its index gives no energy.
    ASSERT_TRUE(loadVictoreenTable(files.writeText("W.txt", "= Z\nHe 2 1.0\n")));
    EXPECT_EQ(edgeEnergyEV(1, 0), 0.0);
}

}  // namespace
