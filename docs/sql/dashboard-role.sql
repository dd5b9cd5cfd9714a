-- A PostgreSQL login for dashboards: it reads the dashboard views of the records database and
-- changes nothing. Run it in the records database as its owner; it can be run again.
--   psql -d vxm -f docs/sql/dashboard-role.sql
-- then give the role a password: ALTER ROLE vxm_dashboard PASSWORD '...';
DO $$
BEGIN
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'vxm_dashboard') THEN
        CREATE ROLE vxm_dashboard LOGIN;
    END IF;
END
$$;
ALTER ROLE vxm_dashboard SET default_transaction_read_only = on;
REVOKE ALL ON ALL TABLES IN SCHEMA public FROM vxm_dashboard;
GRANT USAGE ON SCHEMA public TO vxm_dashboard;
-- The views read the tables with their owner's rights: the role needs none on the tables.
GRANT SELECT ON dashboard_yield, dashboard_failures, dashboard_figure_values TO vxm_dashboard;
