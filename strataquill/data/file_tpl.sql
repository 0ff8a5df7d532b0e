-- The empty project that every new project file is copied from.
-- Text and Memo fields are made without the zero-length switch; opening a
-- project for data entry turns it on for every one of them.

CREATE TABLE [Boring Information] (
  BoringName TEXT(50), DateStart MEMO, DateEnd MEMO, Northing MEMO, NorthingUnits TEXT(50),
  Easting MEMO, EastingUnits TEXT(50), GroundElevation MEMO, DrilledWater MEMO,
  StaticWater MEMO, PotentiometricWater MEMO, Supervisor MEMO, DrillRig MEMO,
  BoringDiameter MEMO, BoringDiameterUnits TEXT(50), Trend MEMO, Plunge MEMO, Completion MEMO,
  TotalDepth MEMO, DrillingContractor MEMO, Driller MEMO, DrillMethod MEMO, LicenseNumber MEMO,
  DepthUnits TEXT(50), StatePlaneNorthing MEMO, StatePlaneEasting MEMO, Latitude MEMO,
  Longitude MEMO, FacilityWellName MEMO, StateWellName MEMO, CommonWellName MEMO);

CREATE TABLE [Completion Information] (
  BoringName TEXT(50), [From] SINGLE, [To] SINGLE, Classification MEMO);

CREATE TABLE [Project Information] (
  ProjectNumber MEMO, CaseNumber MEMO, ProjectName MEMO, Client MEMO, ClientContact MEMO,
  ClientPhone MEMO, ClientAddress1 MEMO, ClientAddress2 MEMO, ClientCity MEMO, ClientState MEMO,
  ClientZip MEMO, SiteAddress1 MEMO, SiteAddress2 MEMO, SiteCity MEMO, SiteState MEMO,
  SiteZip MEMO, LeadAgency MEMO, FacilityNumber MEMO, SiteCounty MEMO, LocationCode MEMO,
  ClientCounty MEMO, QtrSectionSecond MEMO, QtrSectionPrimary MEMO, Section MEMO, Township MEMO,
  TownshipDirection MEMO, Range MEMO, RangeDirection MEMO);

CREATE TABLE [Lithology Information] (
  BoringName TEXT(50), [From] SINGLE, [To] SINGLE, Description MEMO, Classification TEXT(50),
  SeparatorType TEXT(50));

CREATE TABLE [Sample Information] (
  BoringName TEXT(50), SampleType MEMO, [From] SINGLE, [To] SINGLE, BlowCounts MEMO,
  UserText1 MEMO, UserText2 MEMO, UserText3 MEMO, UserText4 MEMO, UserText5 MEMO,
  UserText6 MEMO, UserText7 MEMO, UserText8 MEMO, UserText9 MEMO, UserText10 MEMO);

CREATE TABLE [Sample User Label] (
  UserLabel1 MEMO, UserLabel2 MEMO, UserLabel3 MEMO, UserLabel4 MEMO, UserLabel5 MEMO,
  UserLabel6 MEMO, UserLabel7 MEMO, UserLabel8 MEMO, UserLabel9 MEMO, UserLabel10 MEMO);
