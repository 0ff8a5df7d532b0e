-- The demo project: a Phase II site assessment of a former fuel depot with
-- two geotechnical borings and one monitoring well. Class and sample-type
-- texts are names of the shipped classification file, spelled exactly.

-- Project.
INSERT INTO [Project Information] (ProjectNumber, CaseNumber, ProjectName, Client, ClientContact, ClientPhone, ClientAddress1, ClientAddress2, ClientCity, ClientState, ClientZip, SiteAddress1, SiteAddress2, SiteCity, SiteState, SiteZip, LeadAgency, FacilityNumber, SiteCounty, LocationCode, ClientCounty, QtrSectionSecond, QtrSectionPrimary, Section, Township, TownshipDirection, Range, RangeDirection)
  VALUES ("2291-014", "UST 07-1186", "Former Kessler Fuel Depot - Phase II Site Assessment", "Harlan Valley Transit Authority", "Dana Whitcomb, P.E.", "(555) 014-2290", "400 Commerce Way", "Suite 210", "Millbrook", "OH", "45099", "1870 Old Mill Road", "Parcel 14-220-006", "Millbrook", "OH", "45099", "State Department of Environmental Quality", "57-004112", "Alder County", "AC-114", "Alder County", "NE", "SW", "14", "6", "N", "3", "W");

-- Sample column labels: only the first user column is in use.
INSERT INTO [Sample User Label] (UserLabel1, UserLabel2, UserLabel3, UserLabel4, UserLabel5, UserLabel6, UserLabel7, UserLabel8, UserLabel9, UserLabel10)
  VALUES ("PID (ppm)", "Undefined", "Undefined", "Undefined", "Undefined", "Undefined", "Undefined", "Undefined", "Undefined", "Undefined");

-- Borings.
INSERT INTO [Boring Information] (BoringName, DateStart, DateEnd, Northing, NorthingUnits, Easting, EastingUnits, GroundElevation, DrilledWater, StaticWater, PotentiometricWater, Supervisor, DrillRig, BoringDiameter, BoringDiameterUnits, Trend, Plunge, Completion, TotalDepth, DrillingContractor, Driller, DrillMethod, LicenseNumber, DepthUnits, StatePlaneNorthing, StatePlaneEasting, Latitude, Longitude, FacilityWellName, StateWellName, CommonWellName)
  VALUES ("B-1", "09/16/2024", "09/16/2024", "10250.0", "Feet", "5120.5", "Feet", "742.3", "18.5", "16.2", "", "J. Moreno, G.I.T.", "CME-75 truck", "8", "Inches", "0", "90", "Boring backfilled with bentonite chips to 1 ft and patched with cold-mix asphalt. Cobbles from 44 to 46 ft.", "65", "Tri-County Drilling, Inc.", "R. Ostrowski", "Hollow-stem auger", "WD-3318", "Feet", "612455.2", "1498210.7", "39.41872", "-84.29315", "", "", "");
INSERT INTO [Boring Information] (BoringName, DateStart, DateEnd, Northing, NorthingUnits, Easting, EastingUnits, GroundElevation, DrilledWater, StaticWater, PotentiometricWater, Supervisor, DrillRig, BoringDiameter, BoringDiameterUnits, Trend, Plunge, Completion, TotalDepth, DrillingContractor, Driller, DrillMethod, LicenseNumber, DepthUnits, StatePlaneNorthing, StatePlaneEasting, Latitude, Longitude, FacilityWellName, StateWellName, CommonWellName)
  VALUES ("B-2", "09/17/2024", "09/18/2024", "10102.4", "Feet", "5388.9", "Feet", "744.8", "22.0", "19.6", "", "J. Moreno, G.I.T.", "CME-75 truck", "8", "Inches", "0", "90", "Auger refusal at 96 ft on weathered shale; NQ wireline core 96 to 112 ft. Boring tremie-grouted with cement-bentonite grout.", "112", "Tri-County Drilling, Inc.", "R. Ostrowski", "HSA; NQ core below 96 ft", "WD-3318", "Feet", "612307.6", "1498479.1", "39.41831", "-84.29219", "", "", "");
INSERT INTO [Boring Information] (BoringName, DateStart, DateEnd, Northing, NorthingUnits, Easting, EastingUnits, GroundElevation, DrilledWater, StaticWater, PotentiometricWater, Supervisor, DrillRig, BoringDiameter, BoringDiameterUnits, Trend, Plunge, Completion, TotalDepth, DrillingContractor, Driller, DrillMethod, LicenseNumber, DepthUnits, StatePlaneNorthing, StatePlaneEasting, Latitude, Longitude, FacilityWellName, StateWellName, CommonWellName)
  VALUES ("MW-1", "09/19/2024", "09/19/2024", "10311.7", "Feet", "5205.3", "Feet", "741.6", "17.0", "15.4", "15.6", "K. Lindqvist, P.G.", "CME-55 track", "8.25", "Inches", "0", "90", "2-in. Sch. 40 PVC well, 0.010-in. slot screen 20 to 35 ft, #10-20 silica sand 18 to 35 ft, bentonite seal 15 to 18 ft, cement-bentonite grout to 1 ft, flush-mount vault in concrete.", "42", "Tri-County Drilling, Inc.", "M. Duarte", "Hollow-stem auger", "WD-4102", "Feet", "612517.0", "1498295.3", "39.41889", "-84.29286", "MW-1", "W-57-0412", "Depot MW-1");

-- Lithology of B-1.
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-1", 0, 0.5, "ASPHALT: 6 inches over 4 inches of crushed limestone base.", "Asphalt", "0 - Solid");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-1", 0.5, 3, "FILL: brown and gray, moist, loose, silty sand with gravel, brick and concrete fragments.", "Fill", "0 - Solid");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-1", 3, 9, "LEAN CLAY (CL): brown mottled gray, moist, stiff, medium plasticity, trace fine sand, iron oxide staining along root holes.", "CL - Lean clay", "1 - Dash");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-1", 9, 14, "SILT (ML): brown, moist, medium stiff, low plasticity, some fine sand, few thin sand seams.", "ML - Silt", "0 - Solid");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-1", 14, 22, "SILTY SAND (SM): brown, moist, medium dense, fine-grained, trace gravel; wet below 18 ft.", "SM - Silty sand", "1 - Dash");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-1", 22, 31, "POORLY GRADED SAND (SP): gray-brown, wet, medium dense to dense, fine- to medium-grained, trace silt.", "SP - Poorly graded sand", "1 - Dash");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-1", 31, 38, "WELL-GRADED SAND WITH SILT (SW-SM): gray, wet, dense, fine- to coarse-grained, some fine gravel.", "SW-SM - Well graded sand with silt", "0 - Solid");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-1", 38, 48.5, "POORLY GRADED GRAVEL WITH SILT AND SAND (GP-GM): gray, wet, dense to very dense, fine to coarse subrounded gravel, about 20% coarse sand, about 8% nonplastic fines; cobbles from 44 to 46 ft by drilling action.", "GP-GM - Poorly graded gravel with silt", "0 - Solid");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-1", 48.5, 60, "LEAN CLAY (CL): gray, moist, very stiff to hard, low to medium plasticity, some silt, trace fine gravel (glacial till).", "CL - Lean clay", "1 - Dash");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-1", 60, 65, "CLAYEY SAND (SC): gray, moist, very dense, fine- to coarse-grained, some fine gravel (till). Bottom of boring at 65 ft.", "SC - Clayey sand", "0 - Solid");

-- Lithology of B-2.
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-2", 0, 0.8, "TOPSOIL: dark brown, moist, silt loam with roots.", "Topsoil", "0 - Solid");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-2", 0.8, 6, "LEAN CLAY (CL): brown, moist, stiff, medium plasticity, trace fine sand.", "CL - Lean clay", "1 - Dash");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-2", 6, 12, "SILTY CLAY (CL-ML): brown to gray, moist, medium stiff, low plasticity, thin silt laminations.", "CL-ML - Silty clay", "0 - Solid");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-2", 12, 13.5, "PEAT (PT): black, wet, soft, fibrous, strong organic odor.", "PT - Peat", "0 - Solid");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-2", 13.5, 20, "SILT (ML): gray, wet, soft to medium stiff, nonplastic to low plasticity, trace organics near top.", "ML - Silt", "0 - Solid");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-2", 20, 28, "POORLY GRADED SAND WITH SILT (SP-SM): gray, wet, loose to medium dense, fine-grained.", "SP-SM - Poorly graded sand with silt", "1 - Dash");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-2", 28, 40, "POORLY GRADED SAND (SP): gray, wet, medium dense, fine- to medium-grained, trace gravel; heaving sand at 35 ft, augers filled with water.", "SP - Poorly graded sand", "0 - Solid");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-2", 40, 52, "WELL-GRADED GRAVEL WITH SAND (GW): gray, wet, dense, fine to coarse subrounded gravel, about 30% coarse sand, trace fines.", "GW - Well graded gravel", "1 - Dash");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-2", 52, 58, "POORLY GRADED GRAVEL (GP): gray, wet, very dense, fine gravel, trace coarse sand.", "GP - Poorly graded gravel", "0 - Solid");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-2", 58, 70, "FAT CLAY (CH): gray, moist, stiff to very stiff, high plasticity, laminated (lacustrine); Shelby tube 60 to 62 ft.", "CH - Fat clay", "0 - Solid");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-2", 70, 81, "SILTY, CLAYEY SAND (SM-SC): gray, moist, dense, fine- to medium-grained, some gravel.", "SM-SC - Silty clayey sand", "1 - Dash");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-2", 81, 88, "CLAYEY GRAVEL WITH SAND (GC): gray, moist, very dense, fine to coarse gravel, shale fragments (till).", "GC - Clayey gravel", "0 - Solid");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-2", 88, 96, "WEATHERED SHALE: gray-brown, highly weathered, soft, fissile, recovered as silty clay with shale fragments; auger refusal at 96 ft.", "Weathered bedrock", "0 - Solid");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-2", 96, 104, "SHALE: dark gray, slightly weathered, moderately hard, thinly bedded, fissile, calcareous; fractures along bedding.", "Shale", "0 - Solid");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("B-2", 104, 112, "LIMESTONE: light gray, fresh, hard, fine-crystalline, thin shale partings, vuggy from 108 to 109 ft. Bottom of boring at 112 ft.", "Limestone", "0 - Solid");

-- Lithology of MW-1.
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("MW-1", 0, 0.5, "CONCRETE: 6 inches, reinforced.", "Concrete", "0 - Solid");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("MW-1", 0.5, 4, "FILL: dark brown to black, moist, loose, sandy silt with gravel and cinders; petroleum odor.", "Fill", "0 - Solid");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("MW-1", 4, 10, "LEAN CLAY WITH SAND (CL): brown mottled gray, moist, stiff, medium plasticity.", "CL - Lean clay", "1 - Dash");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("MW-1", 10, 17, "CLAYEY SAND (SC): brown, moist, medium dense, fine-grained; slight petroleum odor.", "SC - Clayey sand", "0 - Solid");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("MW-1", 17, 26, "SILTY SAND (SM): gray, wet, loose to medium dense, fine-grained; strong petroleum odor and sheen from 18 to 24 ft.", "SM - Silty sand", "1 - Dash");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("MW-1", 26, 35, "POORLY GRADED SAND (SP): gray, wet, medium dense, fine- to medium-grained; faint odor.", "SP - Poorly graded sand", "0 - Solid");
INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, Classification, SeparatorType)
  VALUES ("MW-1", 35, 42, "POORLY GRADED SAND WITH CLAY (SP-SC): gray, wet, dense, fine-grained, about 10% low-plasticity fines. Bottom of boring at 42 ft.", "SP-SC - Poorly graded sand with clay", "0 - Solid");

-- Samples of B-1.
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-1", "Split spoon (SPT)", 1, 2.5, "4-5-7", "0.0");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-1", "Split spoon (SPT)", 3.5, 5, "3-5-6", "0.0");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-1", "Split spoon (SPT)", 6, 7.5, "4-6-8", "0.0");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-1", "Split spoon (SPT)", 8.5, 10, "3-4-5", "0.4");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-1", "Split spoon (SPT)", 13.5, 15, "5-7-9", "1.2");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-1", "Split spoon (SPT)", 18.5, 20, "6-8-11", "3.8");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-1", "Split spoon (SPT)", 23.5, 25, "8-12-15", "0.9");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-1", "Split spoon (SPT)", 28.5, 30, "10-14-17", "0.3");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-1", "Split spoon (SPT)", 33.5, 35, "12-18-22", "0.0");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-1", "Split spoon (SPT)", 38.5, 40, "15-22-27", "0.0");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-1", "No recovery", 43.5, 45, "50/3""", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-1", "Split spoon (SPT)", 48.5, 50, "14-21-26", "0.0");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-1", "Split spoon (SPT)", 53.5, 55, "18-26-33", "0.0");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-1", "Split spoon (SPT)", 58.5, 60, "20-31-38", "0.0");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-1", "Split spoon (SPT)", 63.5, 65, "24-39-50/5""", "0.0");

-- Samples of B-2.
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Grab sample", 0, 0.8, "", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Split spoon (SPT)", 1, 2.5, "3-4-5", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Split spoon (SPT)", 3.5, 5, "3-4-6", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Split spoon (SPT)", 6, 7.5, "2-3-4", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Split spoon (SPT)", 8.5, 10, "2-3-3", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Split spoon (SPT)", 13.5, 15, "1-2-2", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Split spoon (SPT)", 18.5, 20, "2-3-4", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Split spoon (SPT)", 23.5, 25, "4-6-7", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Split spoon (SPT)", 28.5, 30, "6-8-10", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Split spoon (SPT)", 33.5, 35, "7-9-12", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Split spoon (SPT)", 38.5, 40, "9-12-14", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Split spoon (SPT)", 43.5, 45, "14-19-24", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Split spoon (SPT)", 48.5, 50, "16-22-27", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Split spoon (SPT)", 53.5, 55, "22-35-41", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Split spoon (SPT)", 58.5, 60, "5-7-9", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Thin-walled tube (Shelby)", 60, 62, "Push", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Split spoon (SPT)", 63.5, 65, "6-9-11", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Split spoon (SPT)", 68.5, 70, "8-11-14", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Split spoon (SPT)", 73.5, 75, "13-19-24", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Split spoon (SPT)", 78.5, 80, "16-25-31", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Split spoon (SPT)", 83.5, 85, "27-44-50/4""", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Auger cuttings", 88, 92, "", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Split spoon (SPT)", 92, 93, "50/4""", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Rock core", 96, 101, "REC 82%", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Rock core", 101, 106, "REC 95%", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "Rock core", 106, 111, "REC 100%", "");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("B-2", "No recovery", 111, 112, "", "");

-- Samples of MW-1.
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("MW-1", "Grab sample", 0.5, 1.5, "", "12.6");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("MW-1", "Split spoon (SPT)", 2, 3.5, "3-4-4", "38.1");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("MW-1", "Split spoon (SPT)", 4.5, 6, "3-5-6", "21.4");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("MW-1", "Split spoon (SPT)", 7, 8.5, "4-5-7", "9.7");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("MW-1", "Split spoon (SPT)", 9.5, 11, "5-6-8", "16.2");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("MW-1", "Split spoon (SPT)", 14.5, 16, "4-6-7", "54.0");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("MW-1", "Split spoon (SPT)", 19.5, 21, "3-4-6", "412");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("MW-1", "Split spoon (SPT)", 24.5, 26, "5-7-9", "186");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("MW-1", "Split spoon (SPT)", 29.5, 31, "7-10-12", "22.5");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("MW-1", "Split spoon (SPT)", 34.5, 36, "9-13-16", "3.1");
INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], BlowCounts, UserText1)
  VALUES ("MW-1", "Split spoon (SPT)", 39.5, 41, "12-17-21", "0.8");

-- Completion of MW-1: the well pipe in its annulus from the surface down,
-- then the boring below the well sealed with bentonite chips.
INSERT INTO [Completion Information] (BoringName, [From], [To], Classification)
  VALUES ("MW-1", 0, 1, "Blank casing in concrete");
INSERT INTO [Completion Information] (BoringName, [From], [To], Classification)
  VALUES ("MW-1", 1, 15, "Blank casing in cement grout");
INSERT INTO [Completion Information] (BoringName, [From], [To], Classification)
  VALUES ("MW-1", 15, 18, "Blank casing in bentonite seal");
INSERT INTO [Completion Information] (BoringName, [From], [To], Classification)
  VALUES ("MW-1", 18, 20, "Blank casing in filter pack");
INSERT INTO [Completion Information] (BoringName, [From], [To], Classification)
  VALUES ("MW-1", 20, 35, "Screen");
INSERT INTO [Completion Information] (BoringName, [From], [To], Classification)
  VALUES ("MW-1", 35, 42, "Bentonite chips");
