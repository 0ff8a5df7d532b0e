-- The shipped classes. Soils are named "SYMBOL - Group name" after the
-- Unified Soil Classification System (dual symbols "SP-SM - ..."); other
-- lithologies, completion materials and sample types by their plain name.
-- Each class's pattern list names pictures of the Patterns folder with the
-- share of the column each fills. A completion class that holds pipe shows
-- the pipe in the middle half with its annulus material on both sides, so
-- the log draws the casing walls between them.

-- Lithology: coarse-grained soils.
INSERT INTO Lithology (Description, FileName) VALUES ("GW - Well graded gravel", "gw.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("GP - Poorly graded gravel", "gp.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("GM - Silty gravel", "gm.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("GC - Clayey gravel", "gc.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("SW - Well graded sand", "sw.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("SP - Poorly graded sand", "sp.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("SM - Silty sand", "sm.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("SC - Clayey sand", "sc.png:100");
-- Fine-grained and highly organic soils.
INSERT INTO Lithology (Description, FileName) VALUES ("ML - Silt", "ml.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("CL - Lean clay", "cl.png:100");
INSERT INTO Lithology (Description, FileName)
  VALUES ("OL - Organic silt or clay, low plasticity", "ol.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("MH - Elastic silt", "mh.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("CH - Fat clay", "ch.png:100");
INSERT INTO Lithology (Description, FileName)
  VALUES ("OH - Organic silt or clay, high plasticity", "oh.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("PT - Peat", "pt.png:100");
-- Dual symbols.
INSERT INTO Lithology (Description, FileName)
  VALUES ("GW-GM - Well graded gravel with silt", "gw-gm.png:100");
INSERT INTO Lithology (Description, FileName)
  VALUES ("GP-GM - Poorly graded gravel with silt", "gp-gm.png:100");
INSERT INTO Lithology (Description, FileName)
  VALUES ("GP-GC - Poorly graded gravel with clay", "gp-gc.png:100");
INSERT INTO Lithology (Description, FileName)
  VALUES ("SW-SM - Well graded sand with silt", "sw-sm.png:100");
INSERT INTO Lithology (Description, FileName)
  VALUES ("SW-SC - Well graded sand with clay", "sw-sc.png:100");
INSERT INTO Lithology (Description, FileName)
  VALUES ("SP-SM - Poorly graded sand with silt", "sp-sm.png:100");
INSERT INTO Lithology (Description, FileName)
  VALUES ("SP-SC - Poorly graded sand with clay", "sp-sc.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("SM-SC - Silty clayey sand", "sm-sc.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("CL-ML - Silty clay", "cl-ml.png:100");
-- Made ground and surface materials.
INSERT INTO Lithology (Description, FileName) VALUES ("Fill", "fill.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("Topsoil", "topsoil.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("Asphalt", "asphalt.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("Concrete", "concrete.png:100");
-- Rock.
INSERT INTO Lithology (Description, FileName) VALUES ("Sandstone", "sandstone.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("Siltstone", "siltstone.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("Shale", "shale.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("Claystone", "claystone.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("Limestone", "limestone.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("Dolomite", "dolomite.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("Conglomerate", "conglomerate.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("Igneous rock", "igneous.png:100");
INSERT INTO Lithology (Description, FileName) VALUES ("Metamorphic rock", "metamorphic.png:100");
INSERT INTO Lithology (Description, FileName)
  VALUES ("Weathered bedrock", "weathered_bedrock.png:100");

-- Completion: annulus materials across the whole boring.
INSERT INTO Completion (Description, FileName) VALUES ("Cement grout", "well_grout.png:100");
INSERT INTO Completion (Description, FileName) VALUES ("Bentonite seal", "well_bentonite.png:100");
INSERT INTO Completion (Description, FileName)
  VALUES ("Bentonite chips", "well_bentonite_chips.png:100");
INSERT INTO Completion (Description, FileName)
  VALUES ("Filter pack sand", "well_filterpack.png:100");
INSERT INTO Completion (Description, FileName) VALUES ("Native backfill", "well_backfill.png:100");
-- Well pipe in its annulus.
INSERT INTO Completion (Description, FileName)
  VALUES ("Blank casing", "well_casing.png:25:well_casing.png:50:well_casing.png:25");
INSERT INTO Completion (Description, FileName)
  VALUES ("Blank casing in concrete", "concrete.png:25:well_casing.png:50:concrete.png:25");
INSERT INTO Completion (Description, FileName)
  VALUES ("Blank casing in cement grout", "well_grout.png:25:well_casing.png:50:well_grout.png:25");
INSERT INTO Completion (Description, FileName)
  VALUES ("Blank casing in bentonite seal",
          "well_bentonite.png:25:well_casing.png:50:well_bentonite.png:25");
INSERT INTO Completion (Description, FileName)
  VALUES ("Blank casing in bentonite chips",
          "well_bentonite_chips.png:25:well_casing.png:50:well_bentonite_chips.png:25");
INSERT INTO Completion (Description, FileName)
  VALUES ("Blank casing in filter pack",
          "well_filterpack.png:25:well_casing.png:50:well_filterpack.png:25");
INSERT INTO Completion (Description, FileName)
  VALUES ("Blank casing in native backfill",
          "well_backfill.png:25:well_casing.png:50:well_backfill.png:25");
INSERT INTO Completion (Description, FileName)
  VALUES ("Screen", "well_filterpack.png:25:well_screen.png:50:well_filterpack.png:25");
INSERT INTO Completion (Description, FileName)
  VALUES ("Screen in native backfill",
          "well_backfill.png:25:well_screen.png:50:well_backfill.png:25");

-- Sample types.
INSERT INTO Samples (Description, FileName) VALUES ("Split spoon (SPT)", "sample_spt.png:100");
INSERT INTO Samples (Description, FileName)
  VALUES ("Thin-walled tube (Shelby)", "sample_shelby.png:100");
INSERT INTO Samples (Description, FileName) VALUES ("Grab sample", "sample_grab.png:100");
INSERT INTO Samples (Description, FileName) VALUES ("Rock core", "sample_core.png:100");
INSERT INTO Samples (Description, FileName) VALUES ("Auger cuttings", "sample_cuttings.png:100");
INSERT INTO Samples (Description, FileName) VALUES ("No recovery", "sample_norecovery.png:100");
